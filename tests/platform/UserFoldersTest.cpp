#include "platform/UserFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "support/TempDir.h"

namespace scanora {
namespace {

// User folders over an environment of the test's own.
class UserFoldersTest : public ::testing::Test {
protected:
    UserFolders Folders() const
    {
        return UserFolders([this](const char* name) -> const char* {
            const auto found = environment_.find(name);
            return found == environment_.end() ? nullptr : found->second.c_str();
        });
    }

    void WriteUserDirs(const std::string& text) const
    {
        std::filesystem::create_directories(home_.Path() / ".config");
        std::ofstream(home_.Path() / ".config" / "user-dirs.dirs") << text;
    }

    test::TempDir home_;
    std::map<std::string, std::string> environment_{{"HOME", home_.Path().string()}};
};

TEST_F(UserFoldersTest, ConfigurationAndDataFollowTheXdgVariables)
{
    EXPECT_EQ(Folders().ConfigHome(), home_.Path() / ".config");
    EXPECT_EQ(Folders().DataHome(), home_.Path() / ".local" / "share");
    environment_["XDG_CONFIG_HOME"] = "/etc/elsewhere";
    environment_["XDG_DATA_HOME"] = "/srv/data";
    EXPECT_EQ(Folders().ConfigHome(), "/etc/elsewhere");
    EXPECT_EQ(Folders().DataHome(), "/srv/data");
    // Relative paths are not valid there and are ignored.
    environment_["XDG_CONFIG_HOME"] = "relative/config";
    EXPECT_EQ(Folders().ConfigHome(), home_.Path() / ".config");
}

TEST_F(UserFoldersTest, PicturesFolderFromUserDirsElsePicturesElseHome)
{
    EXPECT_EQ(Folders().PicturesFolder(), home_.Path()) << "nothing named, no ~/Pictures";
    std::filesystem::create_directories(home_.Path() / "Pictures");
    EXPECT_EQ(Folders().PicturesFolder(), home_.Path() / "Pictures");

    WriteUserDirs("# comment\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(Folders().PicturesFolder(), home_.Path() / "Bilder");
    WriteUserDirs("XDG_PICTURES_DIR=\"/mnt/photos\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n");
    EXPECT_EQ(Folders().PicturesFolder(), "/mnt/photos");
    WriteUserDirs("XDG_PICTURES_DIR=\"$HOME/\"\n");
    EXPECT_EQ(Folders().PicturesFolder(), home_.Path()) << "pictures folder switched off";
    WriteUserDirs("XDG_PICTURES_DIR=\"Pictures but relative\"\n");
    EXPECT_EQ(Folders().PicturesFolder(), home_.Path() / "Pictures");
}

TEST_F(UserFoldersTest, ColourProfilesInTheSystemFolderElseTheUsersOwn)
{
    const test::TempDir system;
    EXPECT_EQ(Folders().ColorProfileFolder(system.Path()), system.Path());
    EXPECT_EQ(Folders().ColorProfileFolder(system.Path() / "missing"),
              home_.Path() / ".local" / "share" / "icc");
}

}  // namespace
}  // namespace scanora
