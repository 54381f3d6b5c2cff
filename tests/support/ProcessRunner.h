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

// What a background program is given besides its standard output.
struct BackgroundStreams {
    bool errors = false;  // standard error is read with standard output (else discarded)
    bool input = false;   // standard input is a pipe that Send writes to (else /dev/null)
};

// A program running in the background, stopped (SIGTERM, then SIGKILL) when this goes away.
class BackgroundProcess {
public:
    explicit BackgroundProcess(const std::vector<std::string>& argv,
                               BackgroundStreams streams = {});
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // Reads standard output until a line containing `text` arrives; false after `limit`.
    bool WaitForOutput(const std::string& text,
                       std::chrono::milliseconds limit = std::chrono::seconds(10));
    // The same for a line containing `text` that arrives after the one the last call of this
    // found (after the start at the first call).
    bool WaitForNextOutput(const std::string& text,
                           std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Writes `text` to the program's standard input; false when it has none or it is closed.
    bool Send(const std::string& text);
    // Sends a signal to the program.
    void Signal(int signal) const;
    // Waits for the program to end; its exit code, or -1 after `limit`.
    int Wait(std::chrono::milliseconds limit);
    [[nodiscard]] pid_t Pid() const { return pid_; }

private:
    // Where `text` occurs in the output from `from` on, reading more until `limit`; npos when it
    // does not arrive.
    std::size_t Find(const std::string& text, std::size_t from, std::chrono::milliseconds limit);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int inFd_ = -1;
    std::string seen_;
    std::size_t nextFrom_ = 0;  // where WaitForNextOutput looks from
    bool ended_ = false;
};

}  // namespace scanora::test
