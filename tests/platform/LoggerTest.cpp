#include "platform/Logger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <pthread.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/UserFolders.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

std::vector<std::string> Lines(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Everything written to `file` so far; closes it.
std::string ReadBackAndClose(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    std::fclose(file);
    return text;
}

class LoggerTest : public ::testing::Test {
protected:
    LoggerOptions FileOnly(LogLevel level = LogLevel::Info) const
    {
        LoggerOptions options;
        options.file = dir_.Path() / "Scanora" / "test.log";
        options.fileLevel = level;
        return options;
    }
    test::TempDir dir_;
};

TEST_F(LoggerTest, ALineSaysWhenWhatWhereAndOnWhichThreadInOneLine)
{
    const LoggerOptions options = FileOnly();
    {
        Logger logger(options);
        pthread_setname_np(pthread_self(), "log-test");
        logger.Write(LogLevel::Error, LogCategory::Camera, "command \"CS\r\" failed\nhere");
        logger.Write(LogLevel::Debug, LogCategory::Camera, "not kept at the info level");
        logger.Write(LogLevel::Warning, LogCategory::CameraDisk, "second");
        logger.WriteShown(MessageIcon::Exclamation, "Could not open file");
        logger.WriteShown(MessageIcon::None, "Camera Reported Error: Busy");
    }
    const std::vector<std::string> lines = Lines(options.file);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_THAT(
        lines[0],
        MatchesRegex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} "
                     "error camera \\[[0-9]+ log-test\\] command \"CS\\\\r\" failed\\\\nhere"));
    EXPECT_THAT(lines[1], HasSubstr(" warning cameradisk ["));
    EXPECT_THAT(lines[2], HasSubstr(" warning ui ["));
    EXPECT_THAT(lines[2], HasSubstr("] shown: Could not open file"));
    EXPECT_THAT(lines[3], HasSubstr(" error ui ["));
    // The file is the user's alone.
    EXPECT_EQ(std::filesystem::status(options.file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(LoggerTest, TheTerminalGetsItsOwnLevel)
{
    std::FILE* terminal = std::tmpfile();
    ASSERT_NE(terminal, nullptr);
    LoggerOptions options = FileOnly(LogLevel::Error);
    options.terminal = terminal;
    options.terminalLevel = LogLevel::Debug;
    {
        Logger logger(options);
        EXPECT_TRUE(logger.Wants(LogLevel::Debug));
        logger.Write(LogLevel::Debug, LogCategory::Acquire, "detail");
        logger.Write(LogLevel::Error, LogCategory::Acquire, "failure");
    }
    const std::string shown = ReadBackAndClose(terminal);
    EXPECT_THAT(shown, HasSubstr("debug acquire"));
    EXPECT_THAT(shown, HasSubstr("error acquire"));
    const std::vector<std::string> lines = Lines(options.file);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr("failure"));

    Logger quiet(LoggerOptions{});
    EXPECT_FALSE(quiet.Wants(LogLevel::Error));
    quiet.Write(LogLevel::Error, LogCategory::Ui, "goes nowhere");
}

TEST_F(LoggerTest, TheFileIsRotatedAndNoneGrowsPastItsBound)
{
    LoggerOptions options = FileOnly();
    options.maxFileBytes = 2000;
    options.keptFiles = 2;
    {
        Logger logger(options);
        for (int i = 0; i < 200; ++i)
            logger.Write(LogLevel::Info, LogCategory::Output, "line " + std::to_string(i));
    }
    const auto numbered = [&](int n) {
        std::filesystem::path path = options.file;
        path += "." + std::to_string(n);
        return path;
    };
    for (const auto& path : {options.file, numbered(1), numbered(2)}) {
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        EXPECT_LE(std::filesystem::file_size(path), options.maxFileBytes) << path;
    }
    EXPECT_FALSE(std::filesystem::exists(numbered(3)));
    // The newest lines are in the file itself, the ones before them in ".1".
    EXPECT_THAT(Lines(options.file).back(), HasSubstr("line 199"));
    const std::vector<std::string> older = Lines(numbered(1));
    const std::vector<std::string> newer = Lines(options.file);
    const auto number = [](const std::string& line) {
        return std::stoi(line.substr(line.rfind(' ') + 1));
    };
    EXPECT_EQ(number(older.back()) + 1, number(newer.front()));

    // A program started again goes on in the same file.
    {
        Logger logger(options);
        logger.Write(LogLevel::Info, LogCategory::Output, "line 200");
    }
    EXPECT_THAT(Lines(options.file).back(), HasSubstr("line 200"));
    EXPECT_LE(std::filesystem::file_size(options.file), options.maxFileBytes);
}

TEST_F(LoggerTest, LinesFromManyThreadsStayWhole)
{
    const LoggerOptions options = FileOnly();
    constexpr int kThreads = 4;
    constexpr int kLines = 300;
    {
        Logger logger(options);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&logger, t] {
                for (int i = 0; i < kLines; ++i)
                    logger.Write(LogLevel::Info, LogCategory::Acquire,
                                 "thread " + std::to_string(t) + " line " + std::to_string(i));
            });
        }
        for (std::thread& thread : threads) thread.join();
    }
    std::map<int, int> next;
    const std::vector<std::string> lines = Lines(options.file);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    for (const std::string& line : lines) {
        int t = -1;
        int i = -1;
        ASSERT_EQ(
            std::sscanf(line.substr(line.find("] ") + 2).c_str(), "thread %d line %d", &t, &i), 2)
            << line;
        EXPECT_EQ(i, next[t]++) << line;  // each thread's lines in its own order
    }
}

TEST_F(LoggerTest, AFileThatCannotBeWrittenLeavesTheProgramAndTheTerminalAlone)
{
    // The log's folder would have to be made inside a regular file.
    std::ofstream(dir_.Path() / "plain") << "x";
    std::FILE* terminal = std::tmpfile();
    ASSERT_NE(terminal, nullptr);
    LoggerOptions options;
    options.file = dir_.Path() / "plain" / "Scanora" / "test.log";
    options.terminal = terminal;
    options.terminalLevel = LogLevel::Error;
    {
        Logger logger(options);
        logger.Write(LogLevel::Error, LogCategory::Settings, "first");
        logger.Write(LogLevel::Error, LogCategory::Settings, "second");
    }
    EXPECT_THAT(ReadBackAndClose(terminal), HasSubstr("second"));
    EXPECT_FALSE(std::filesystem::exists(options.file));
}

TEST(LoggerOptionsTest, LevelsAndPlacesComeFromTheFlagTheVariableAndTheStateFolder)
{
    EXPECT_EQ(Logger::ParseLevel("DEBUG"), LogLevel::Debug);
    EXPECT_EQ(Logger::ParseLevel("warning"), LogLevel::Warning);
    EXPECT_EQ(Logger::ParseLevel("loud"), std::nullopt);

    const UserFolders folders([](const char* name) -> const char* {
        return std::string(name) == "XDG_STATE_HOME" ? "/state" : nullptr;
    });
    const LoggerOptions quiet = Logger::OptionsFor("scanora-cli", false, nullptr, folders);
    EXPECT_EQ(quiet.file, "/state/Scanora/scanora-cli.log");
    EXPECT_EQ(quiet.terminalLevel, std::nullopt);
    EXPECT_EQ(quiet.fileLevel, LogLevel::Info);
    const LoggerOptions verbose = Logger::OptionsFor("scanora", true, "error", folders);
    EXPECT_EQ(verbose.terminalLevel, LogLevel::Debug);
    EXPECT_EQ(verbose.fileLevel, LogLevel::Debug);
    EXPECT_EQ(Logger::OptionsFor("scanora", false, "warning", folders).terminalLevel,
              LogLevel::Warning);

    const UserFolders homeOnly([](const char* name) -> const char* {
        return std::string(name) == "HOME" ? "/home/ada" : nullptr;
    });
    EXPECT_EQ(Logger::Folder(homeOnly), "/home/ada/.local/state/Scanora");
}

TEST(LogRecordTest, ErrnoIsNamedBesideItsText)
{
    EXPECT_EQ(WithErrno("cannot write /x: Permission denied", EACCES),
              "cannot write /x: Permission denied (errno 13 EACCES)");
    EXPECT_EQ(WithErrno("the image was not written completely", 0),
              "the image was not written completely");
}

}  // namespace
}  // namespace scanora
