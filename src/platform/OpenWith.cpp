#include "platform/OpenWith.h"

#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <cerrno>
#include <thread>

extern char** environ;

namespace scanora {

pid_t OpenWith::Spawn(const std::string& program, const std::filesystem::path& file)
{
    std::string name = program.empty() ? std::string(kDefaultOpener) : program;
    std::string argument = file.string();
    std::array<char*, 3> argv{name.data(), argument.data(), nullptr};
    pid_t pid = -1;
    if (::posix_spawnp(&pid, name.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

bool OpenWith::Open(const std::string& program, const std::filesystem::path& file)
{
    const pid_t pid = Spawn(program, file);
    if (pid < 0)
        return false;
    // The program may run long after the save; only its exit status is collected.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace scanora
