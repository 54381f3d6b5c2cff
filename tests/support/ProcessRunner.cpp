#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <thread>

namespace scanora::test {

namespace {

using Clock = std::chrono::steady_clock;

pid_t Spawn(const std::vector<std::string>& argv, int outFd, int errFd, int inFd = -1)
{
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        dup2(inFd >= 0 ? inFd : open("/dev/null", O_RDONLY), STDIN_FILENO);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

int ExitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

// Appends what is readable on `fd`; false at its end.
bool Drain(int fd, std::string& into)
{
    std::array<char, 4096> buffer;
    const ssize_t n = read(fd, buffer.data(), buffer.size());
    if (n <= 0)
        return false;
    into.append(buffer.data(), static_cast<std::size_t>(n));
    return true;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, std::chrono::milliseconds limit)
{
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        return {};
    const auto start = Clock::now();
    const pid_t pid = Spawn(argv, outPipe[1], errPipe[1]);
    close(outPipe[1]);
    close(errPipe[1]);

    ProcessResult result;
    bool outOpen = true;
    bool errOpen = true;
    bool killed = false;
    while (outOpen || errOpen) {
        const auto left =
            limit - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        if (left.count() <= 0 && !killed) {
            kill(-pid, SIGKILL);
            killed = true;
        }
        pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
        poll(fds, 2, 50);
        if (outOpen && (fds[0].revents & (POLLIN | POLLHUP)))
            outOpen = Drain(outPipe[0], result.out);
        if (errOpen && (fds[1].revents & (POLLIN | POLLHUP)))
            errOpen = Drain(errPipe[0], result.err);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    result.exitCode = ExitCodeOf(status);
    close(outPipe[0]);
    close(errPipe[0]);
    return result;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv,
                                     BackgroundStreams streams)
{
    int outPipe[2];
    if (pipe(outPipe) != 0)
        return;
    int inPipe[2] = {-1, -1};
    if (streams.input)
        signal(SIGPIPE, SIG_IGN);  // a program that has ended fails Send, not the test
    if (streams.input && pipe2(inPipe, O_CLOEXEC) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        return;
    }
    const int errFd = streams.errors ? outPipe[1] : open("/dev/null", O_WRONLY);
    pid_ = Spawn(argv, outPipe[1], errFd, inPipe[0]);
    close(outPipe[1]);
    if (errFd != outPipe[1])
        close(errFd);
    if (streams.input) {
        close(inPipe[0]);
        inFd_ = inPipe[1];
    }
    outFd_ = outPipe[0];
}

bool BackgroundProcess::Send(const std::string& text)
{
    std::size_t sent = 0;
    while (inFd_ >= 0 && sent < text.size()) {
        const ssize_t wrote = write(inFd_, text.data() + sent, text.size() - sent);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        sent += static_cast<std::size_t>(wrote);
    }
    return inFd_ >= 0;
}

BackgroundProcess::~BackgroundProcess()
{
    if (pid_ > 0 && !ended_) {
        kill(pid_, SIGTERM);
        if (Wait(std::chrono::seconds(3)) < 0) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    if (outFd_ >= 0)
        close(outFd_);
    if (inFd_ >= 0)
        close(inFd_);
}

std::size_t BackgroundProcess::Find(const std::string& text, std::size_t from,
                                    std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (seen_.find(text, from) == std::string::npos) {
        if (Clock::now() >= deadline)
            return std::string::npos;
        pollfd fd{outFd_, POLLIN, 0};
        if (poll(&fd, 1, 50) > 0 && !Drain(outFd_, seen_))
            break;
    }
    return seen_.find(text, from);
}

bool BackgroundProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds limit)
{
    return Find(text, 0, limit) != std::string::npos;
}

bool BackgroundProcess::WaitForNextOutput(const std::string& text, std::chrono::milliseconds limit)
{
    const std::size_t at = Find(text, nextFrom_, limit);
    if (at == std::string::npos)
        return false;
    nextFrom_ = at + text.size();
    return true;
}

void BackgroundProcess::Signal(int signal) const
{
    if (pid_ > 0 && !ended_)
        kill(pid_, signal);
}

int BackgroundProcess::Wait(std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            ended_ = true;
            return ExitCodeOf(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

}  // namespace scanora::test
