#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace scanora::test {

// What a finished program left behind.
struct ProcessResult {
    int exitCode = -1;  // 128 + signal when it was killed
    std::string out;
    std::string err;
    std::chrono::milliseconds elapsed{0};
};

// Runs a program to its end with its output captured; kills it after `limit`.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         std::chrono::milliseconds limit = std::chrono::seconds(30));

// A program running in the background, stopped (SIGTERM, then SIGKILL) when this goes away.
class BackgroundProcess {
public:
    explicit BackgroundProcess(const std::vector<std::string>& argv);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // Reads standard output until a line containing `text` arrives; false after `limit`.
    bool WaitForOutput(const std::string& text,
                       std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Sends a signal to the program.
    void Signal(int signal) const;
    // Waits for the program to end; its exit code, or -1 after `limit`.
    int Wait(std::chrono::milliseconds limit);
    [[nodiscard]] pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int outFd_ = -1;
    std::string seen_;
    bool ended_ = false;
};

}  // namespace scanora::test
