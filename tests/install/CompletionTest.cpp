#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "InstallText.h"

namespace scanora::test {
namespace {

using ::testing::IsSupersetOf;
using ::testing::UnorderedElementsAreArray;

// Sources the completion in bash and asks it, as bash does on Tab, what may follow each of the
// command lines (the cursor at the end): one line of candidates per command line.
std::vector<std::set<std::string>> Complete(const std::vector<std::string>& lines)
{
    static const std::string driver = R"(
source "$1" || exit 3
[[ $(complete -p scanora-cli) == *"-F _scanora_cli scanora-cli"* ]] || exit 4
shift
for line in "$@"; do
    COMP_LINE=$line
    COMP_POINT=${#line}
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _scanora_cli scanora-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    echo "${COMPREPLY[*]}"
done
)";
    std::vector<std::string> argv{"/bin/bash", "-c", driver, "bash",
                                  std::string(SCANORA_SOURCE_DATA_DIR) + "/completion/scanora-cli"};
    argv.insert(argv.end(), lines.begin(), lines.end());
    const ProcessResult result = RunProcess(argv);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::set<std::string>> offered;
    std::istringstream out(result.out);
    for (std::string line; std::getline(out, line);) {
        std::istringstream words(line);
        std::set<std::string>& set = offered.emplace_back();
        for (std::string word; words >> word;) set.insert(word);
    }
    offered.resize(lines.size());
    return offered;
}

std::set<std::string> WithSuffix(const std::set<std::string>& names, const std::string& suffix)
{
    std::set<std::string> result;
    for (const std::string& name : names) result.insert(name.back() == ':' ? name : name + suffix);
    return result;
}

TEST(Completion, OffersTheCommandsAndOptionsOfHelp)
{
    const std::string help = RunProcess({SCANORA_CLI_PATH, "--help"}).out;
    const auto offered = Complete({"scanora-cli ", "scanora-cli --json s", "scanora-cli --",
                                   "scanora-cli get 3 -", "scanora-cli get 3 --mode ",
                                   "scanora-cli stage jog max --", "scanora-cli stage "});
    EXPECT_THAT(offered[0], UnorderedElementsAreArray(HelpCommands(help, false)));
    EXPECT_THAT(offered[1], UnorderedElementsAreArray({"status", "send", "scan", "stage"}));
    // The options before the command are the ones --help lists under "Options:" (its
    // -h and -y are left to the long forms).
    std::set<std::string> global = OptionsIn(HelpSection(help, "Options:"));
    EXPECT_THAT(offered[2], UnorderedElementsAreArray(global));
    global.insert({"-o", "--mode", "--depth"});
    EXPECT_THAT(offered[3], UnorderedElementsAreArray(global));
    EXPECT_THAT(offered[4], UnorderedElementsAreArray({"none", "scan", "tone", "dng"}));
    EXPECT_THAT(offered[5], IsSupersetOf({"--fine", "--coarse"}));
    EXPECT_THAT(offered[6],
                UnorderedElementsAreArray({"move", "jog", "calibrate", "position", "home"}));
}

TEST(Completion, OffersTheCameraLinksAndEverySimulatorKeyAndFault)
{
    // bash replaces the part of the word after its last ':' or '=': the candidates are that part.
    const auto offered =
        Complete({"scanora-cli --camera ",
                  "scanora-cli --camera sim:", "scanora-cli --camera=sim:speed=0,fault=",
                  "scanora-cli --camera sim:fault=slow:5+d", "scanora-cli --camera sim:model=6,li",
                  "scanora-cli --camera sim:link=", "scanora-cli info --camera us"});
    EXPECT_THAT(offered[0], IsSupersetOf({"auto", "usb", "scsi", "sim", "sim:", "socket:"}));
    const std::set<std::string> keys = SimulatorKnows("sim:nosuchkey=1");
    ASSERT_GE(keys.size(), 10u);
    EXPECT_THAT(offered[1], UnorderedElementsAreArray(WithSuffix(keys, "=")));
    const std::set<std::string> faults = SimulatorKnows("sim:fault=nosuchfault");
    ASSERT_GE(faults.size(), 7u);
    EXPECT_THAT(offered[2], UnorderedElementsAreArray(faults));
    EXPECT_THAT(offered[3], UnorderedElementsAreArray({"5+drop:", "5+dropdata:"}));
    EXPECT_THAT(offered[4], UnorderedElementsAreArray({"6,link="}));
    EXPECT_THAT(offered[5], UnorderedElementsAreArray({"usb", "scsi"}));
    EXPECT_THAT(offered[6], IsSupersetOf({"usb", "usb:"}));
}

}  // namespace
}  // namespace scanora::test
