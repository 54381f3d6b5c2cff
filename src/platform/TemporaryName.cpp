#include "platform/TemporaryName.h"

#include <sys/random.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <random>

namespace scanora {

namespace {

constexpr std::string_view kLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::array<std::string_view, 5> kOurExtensions = {".tif", ".tiff", ".dng", ".txt",
                                                            ".cur"};

bool EndsWithNoCase(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() &&
           std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

}  // namespace

std::string TemporaryName::Make(std::string_view fileName)
{
    std::array<unsigned char, kRandomLetters> random{};
    if (::getrandom(random.data(), random.size(), GRND_NONBLOCK) !=
        static_cast<ssize_t>(random.size())) {
        std::random_device device;
        for (unsigned char& byte : random) byte = static_cast<unsigned char>(device());
    }
    std::string name = "." + std::string(fileName) + ".";
    for (const unsigned char byte : random) name += kLetters[byte % kLetters.size()];
    return name;
}

bool TemporaryName::IsOurs(std::string_view name, std::string_view fileName)
{
    // ".", NAME, ".", six letters or digits.
    if (name.size() < 1 + 1 + 1 + kRandomLetters || name.front() != '.')
        return false;
    const std::string_view random = name.substr(name.size() - kRandomLetters);
    if (name[name.size() - kRandomLetters - 1] != '.' ||
        !std::all_of(random.begin(), random.end(),
                     [](char c) { return kLetters.find(c) != std::string_view::npos; }))
        return false;
    const std::string_view base = name.substr(1, name.size() - kRandomLetters - 2);
    if (base.empty())
        return false;
    if (base == fileName)
        return true;
    return std::any_of(kOurExtensions.begin(), kOurExtensions.end(),
                       [base](std::string_view extension) {
                           return base.size() > extension.size() && EndsWithNoCase(base, extension);
                       });
}

}  // namespace scanora
