#include "cameradisk/RetrievalDngColor.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace scanora {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The numbers of `text` in order, up to the first word that is not a finite number.
std::vector<double> ReadNumbers(std::string_view text)
{
    std::vector<double> numbers;
    std::size_t at = 0;
    while (numbers.size() < 64) {
        while (at < text.size() && IsBlank(text[at])) ++at;
        if (at == text.size())
            break;
        if (text[at] == '+')
            ++at;
        double value = 0.0;
        const auto [end, error] =
            std::from_chars(text.data() + at, text.data() + text.size(), value);
        if (error != std::errc() || !std::isfinite(value))
            break;
        numbers.push_back(value);
        at = static_cast<std::size_t>(end - text.data());
    }
    return numbers;
}

}  // namespace

RetrievalDngColor RetrievalDngColor::BuiltIn()
{
    RetrievalDngColor color;
    color.calibrations[0] = {17,
                             {2.6424003, -1.69872426, 0.05632396, -0.67864439, 1.61305119,
                              0.0655932, 0.01284711, -0.02909086, 1.01624374}};
    color.calibrations[1] = {22,
                             {2.63392709, -1.40353546, -0.23039163, -0.39232448, 1.32167892,
                              0.07064556, 0.02304837, 0.14210851, 0.83484312}};
    return color;
}

RetrievalDngColor RetrievalDngColor::ForFolder(const std::filesystem::path& folder)
{
    RetrievalDngColor color = BuiltIn();
    if (folder.empty())
        return color;
    const std::filesystem::path path = folder / kFileName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) ||
        std::filesystem::file_size(path, error) > kMaxFileBytes || error)
        return color;
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    color.ApplyOverride(text);
    return color;
}

void RetrievalDngColor::ApplyOverride(std::string_view text)
{
    const std::vector<double> numbers = ReadNumbers(text);
    std::size_t at = 0;
    for (Calibration& calibration : calibrations) {
        if (numbers.size() < at + 10)
            return;
        const double illuminant = numbers[at];
        // An illuminant is a whole number of the file's 16-bit range.
        if (illuminant < 0.0 || illuminant > 65535.0 || illuminant != std::trunc(illuminant))
            return;
        if (illuminant != 0.0) {
            calibration.illuminant = static_cast<std::uint16_t>(illuminant);
            for (std::size_t i = 0; i < calibration.matrix.size(); ++i)
                calibration.matrix[i] = numbers[at + 1 + i];
        }
        at += 10;
    }
    if (numbers.size() < at + 3)
        return;
    for (std::size_t i = 0; i < balance.size(); ++i) balance[i] = numbers[at + i];
}

std::array<double, 3> RetrievalDngColor::Balance(const std::array<double, 3>& gains) const
{
    std::array<double, 3> result = gains;
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (balance[i] != 0.0)
            result[i] = balance[i];
    }
    return result;
}

}  // namespace scanora
