#pragma once

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/ProcessRunner.h"

namespace scanora::test {

// What the installed texts are checked against: the programs' own --help and the simulator's
// list of the keys and faults it knows.

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines of `help` between the line `title` and the next empty line.
inline std::string HelpSection(const std::string& help, const std::string& title)
{
    const std::size_t start = help.find("\n" + title + "\n");
    if (start == std::string::npos)
        return {};
    const std::size_t from = start + title.size() + 2;
    const std::size_t end = help.find("\n\n", from);
    return help.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

// Every option a text names: "-o", "--camera", "--line-time", ...
inline std::set<std::string> OptionsIn(const std::string& text)
{
    static const std::regex option(R"((?:^|[\s\[|(,])(--?[a-z][a-z-]*))");
    std::set<std::string> options;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it)
        options.insert((*it)[1]);
    return options;
}

// The commands of scanora-cli's --help, with their subcommands: "info", "stage move", ...
inline std::set<std::string> HelpCommands(const std::string& help, bool withSubcommands)
{
    static const std::regex line(R"(^  ([a-z][a-z-]*)(?: ([a-z]+)(?=\s|$))?)");
    std::set<std::string> commands;
    std::istringstream lines(HelpSection(help, "Commands:"));
    for (std::string text; std::getline(lines, text);) {
        std::smatch match;
        if (!std::regex_search(text, match, line))
            continue;
        commands.insert(match[1]);
        if (withSubcommands && match[2].matched)
            commands.insert(match[1].str() + " " + match[2].str());
    }
    return commands;
}

// The names in the simulator's "(known: a, b:X, c)" list of a refused key or fault, each up to
// its first ':' (kept): "model", "noreply:", ...
inline std::set<std::string> SimulatorKnows(const std::string& camera)
{
    const ProcessResult result =
        RunProcess({SCANORA_CLI_PATH, "--no-prefs", "--camera", camera, "info"});
    std::set<std::string> names;
    const std::size_t start = result.err.find("(known: ");
    if (start == std::string::npos)
        return names;
    const std::size_t end = result.err.find(')', start);
    std::istringstream list(result.err.substr(start + 8, end - start - 8));
    for (std::string name; std::getline(list, name, ',');) {
        name.erase(0, name.find_first_not_of(' '));
        const std::size_t colon = name.find(':');
        names.insert(colon == std::string::npos ? name : name.substr(0, colon + 1));
    }
    return names;
}

}  // namespace scanora::test
