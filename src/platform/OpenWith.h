#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace scanora {

// Opens a saved file in another program: the chosen program is started with the file as its
// one argument (an argument vector, never a shell command line), or the desktop's default
// opener "xdg-open" when no program is chosen. The program is looked up on PATH when its name
// has no slash.
class OpenWith {
public:
    static constexpr const char* kDefaultOpener = "xdg-open";

    // Starts the program and returns its process id, or -1 when it cannot be started. The
    // caller waits for it.
    static pid_t Spawn(const std::string& program, const std::filesystem::path& file);
    // Starts the program and leaves it running on its own; its exit is collected in the
    // background. False when it cannot be started.
    static bool Open(const std::string& program, const std::filesystem::path& file);
};

}  // namespace scanora
