#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "CamsimTestHelpers.h"

extern char** environ;

namespace camsim::test {
namespace {

// scanora-camsim run as a child process with its standard output on a pipe.
class Program {
public:
    explicit Program(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), SCANORA_CAMSIM_PATH);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);

        int pipeFds[2];
        if (::pipe(pipeFds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        output_ = pipeFds[0];
    }
    ~Program()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0)
            ::close(output_);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The first line of output, waiting up to two seconds for it.
    std::string FirstLine()
    {
        std::string line;
        pollfd fd{output_, POLLIN, 0};
        while (::poll(&fd, 1, 2000) > 0) {
            char c = 0;
            if (::read(output_, &c, 1) != 1 || c == '\n')
                break;
            line.push_back(c);
        }
        return line;
    }

    void Signal(int signal) const { ::kill(pid_, signal); }

    // The exit status, or -1 when it did not exit normally.
    int Wait()
    {
        int status = 0;
        const pid_t waited = ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

class CamsimProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(SCANORA_CAMSIM_PATH))
            << "build the scanora-camsim target before these tests";
    }
};

TEST_F(CamsimProgram, ServesUntilTerminatedAndRemovesItsSocket)
{
    TempDir dir;
    const std::string path = (dir.Path() / "camera").string();
    Program program({"--listen", path, "--model", "7", "--speed", "0"});
    EXPECT_EQ(program.FirstLine(), "scanora-camsim: Model Cedar Plus listening on " + path);
    EXPECT_TRUE(std::filesystem::exists(path));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(CamsimProgram, TakesTheDiskContentOptions)
{
    TempDir dir;
    const std::string path = (dir.Path() / "camera").string();
    Program program({"--listen", path, "--speed", "0", "--samples", "off", "--bigimage", "200x300",
                     "--disk", (dir.Path() / "disk").string()});
    EXPECT_EQ(program.FirstLine(), "scanora-camsim: Model Cedar listening on " + path);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    // The new disk holds the big image alone, no samples.
    std::ifstream directory(dir.Path() / "disk" / "directory");
    std::string line;
    int images = 0;
    while (std::getline(directory, line)) images += line.starts_with("image ") ? 1 : 0;
    EXPECT_EQ(images, 1);
    std::ifstream image(dir.Path() / "disk" / "image-01.bin", std::ios::binary);
    std::string bytes(512, '\0');
    image.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_NE(bytes.find("Big Image"), std::string::npos);
}

TEST_F(CamsimProgram, UsageErrorsExitWithTwo)
{
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"--model", "6"},
        {"--listen", "/tmp/x", "--model", "9"},
        {"--listen", "/tmp/x", "--fault", "jam:CS"},
        {"--listen", "/tmp/x", "--link", "scsi"},
        {"--listen", "/tmp/x", "--colour", "red"},
        {"--listen", "/tmp/x", "--samples", "maybe"},
        {"--listen", "/tmp/x", "--bigimage", "10200"},
        {"--listen"},
        {"--listen", "tcp:192.168.1.20:4000"},
    };
    for (const std::vector<std::string>& arguments : wrong) {
        Program program(arguments);
        EXPECT_EQ(program.Wait(), 2) << (arguments.empty() ? "" : arguments.back());
    }
}

}  // namespace
}  // namespace camsim::test
