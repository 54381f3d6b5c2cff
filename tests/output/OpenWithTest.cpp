#include "platform/OpenWith.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

namespace scanora {
namespace {

using test::TempDir;

TEST(OpenWithTest, TheFileArrivesAsTheOneArgument)
{
    TempDir dir;
    const auto script = dir.Path() / "record";
    const auto log = dir.Path() / "args.txt";
    {
        std::ofstream out(script);
        out << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > '" << log.string() << "'\n";
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);

    const std::filesystem::path file = dir.Path() / "Plate \"4\" it's; $(rm -rf x)_pre.tif";
    const pid_t pid = OpenWith::Spawn(script.string(), file);
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "1\n" + file.string() + "\n");
}

TEST(OpenWithTest, AProgramThatCannotBeStartedIsReported)
{
    EXPECT_EQ(OpenWith::Spawn("/nonexistent/scanora-viewer", "a.tif"), -1);
    EXPECT_FALSE(OpenWith::Open("no-such-program-for-scanora", "a.tif"));
}

}  // namespace
}  // namespace scanora
