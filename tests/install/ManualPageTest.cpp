#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "InstallText.h"

namespace scanora::test {
namespace {

// A manual page's roff source as the reader sees its words: font changes dropped, "\-" a dash.
std::string PageText(const std::string& name)
{
    std::string text = ReadText(std::string(SCANORA_BUILD_DATA_DIR) + "/man/" + name + ".1");
    text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
    return std::regex_replace(text, std::regex(R"(\\-)"), "-");
}

bool NamesOption(const std::string& page, const std::string& option)
{
    return std::regex_search(page, std::regex("(^|[^A-Za-z0-9-])" + option + "([^A-Za-z0-9-]|$)"));
}

TEST(ManualPage, ScanoraCliDescribesEveryCommandAndOptionOfItsHelp)
{
    const std::string help = RunProcess({SCANORA_CLI_PATH, "--help"}).out;
    const std::string page = PageText("scanora-cli");
    ASSERT_FALSE(page.empty());
    const std::string commands = page.substr(page.find(".SH COMMANDS"));

    const std::set<std::string> helpCommands = HelpCommands(help, true);
    EXPECT_GE(helpCommands.size(), 25u) << help;
    for (const std::string& command : helpCommands)
        EXPECT_NE(commands.find(command), std::string::npos) << "command " << command;

    const std::set<std::string> options = OptionsIn(help);
    EXPECT_GE(options.size(), 35u);
    for (const std::string& option : options)
        EXPECT_TRUE(NamesOption(page, option)) << "option " << option;

    // The simulator's keys and faults, as the simulator itself lists them.
    const std::set<std::string> keys = SimulatorKnows("sim:nosuchkey=1");
    EXPECT_GE(keys.size(), 10u);
    for (const std::string& key : keys)
        EXPECT_NE(page.find(key + "="), std::string::npos) << "simulator key " << key;
    const std::set<std::string> faults = SimulatorKnows("sim:fault=nosuchfault");
    EXPECT_GE(faults.size(), 7u);
    for (const std::string& fault : faults)
        EXPECT_NE(page.find(fault), std::string::npos) << "fault " << fault;
}

TEST(ManualPage, ScanoraCamsimDescribesEveryOptionOfItsHelp)
{
    const std::string help = RunProcess({SCANORA_CAMSIM_PATH, "--help"}).out;
    const std::string page = PageText("scanora-camsim");
    const std::set<std::string> options = OptionsIn(help);
    EXPECT_GE(options.size(), 14u) << help;
    for (const std::string& option : options)
        EXPECT_TRUE(NamesOption(page, option)) << "option " << option;
}

}  // namespace
}  // namespace scanora::test
