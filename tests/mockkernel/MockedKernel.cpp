#include "MockedKernel.h"

#include <cctype>
#include <chrono>
#include <fstream>
#include <iterator>

namespace scanora::test {

namespace {

constexpr std::chrono::seconds kLimit{60};

}  // namespace

bool MockedKernelUsable(std::string& why)
{
#if defined(__SANITIZE_THREAD__)
    why =
        "umockdev's preload library cannot run under ThreadSanitizer (its interceptors of "
        "open, ioctl and the socket calls clash); the mocked-kernel tests run in the other "
        "builds";
    return false;
#else
    why.clear();
    return true;
#endif
}

ProcessResult RunMockedCli(const MockedRun& run, const std::vector<std::string>& args)
{
    std::vector<std::string> argv{SCANORA_MOCKKERNEL_PATH, "--link", run.link, "--sim",
                                  run.simKeys};
    argv.insert(argv.end(), run.mockOptions.begin(), run.mockOptions.end());
    argv.insert(argv.end(), {"--", SCANORA_CLI_PATH, "--no-prefs", "--camera",
                             run.camera.empty() ? run.link : run.camera});
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, kLimit);
}

ProcessResult RunSimulatedCli(const MockedRun& run, const std::vector<std::string>& args)
{
    std::vector<std::string> argv{SCANORA_CLI_PATH, "--no-prefs", "--camera",
                                  "sim:" + run.simKeys + ",link=" + run.link};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, kLimit);
}

std::string WithoutTimes(std::string text)
{
    const auto digit = [&](std::size_t i) {
        return std::isdigit(static_cast<unsigned char>(text[i])) != 0;
    };
    constexpr std::string_view kMask = "h:mm:ss";
    for (std::size_t i = 0; i + kMask.size() <= text.size(); ++i) {
        if (digit(i) && text[i + 1] == ':' && digit(i + 2) && digit(i + 3) && text[i + 4] == ':' &&
            digit(i + 5) && digit(i + 6)) {
            text.replace(i, kMask.size(), kMask);
            if (i > 0 && digit(i - 1))
                text[i - 1] = 'h';
        }
    }
    return text;
}

std::string FileWithoutTimes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return WithoutTimes(
        std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
}

}  // namespace scanora::test
