#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace scanora {

// The colour calibration a retrieved DNG carries: two illuminants with their colour matrices
// (three rows of three), and the analog balance. The built-in values suit the camera's sensor;
// a text file "DNGColor" in the program's folder may replace them: an illuminant and nine
// matrix values, a second illuminant and nine values, then three balance values. An illuminant
// of 0 keeps the built-in matrix; a balance value of 0 keeps the scan's gain.
struct RetrievalDngColor {
    static constexpr std::string_view kFileName = "DNGColor";
    // Longer files are not read.
    static constexpr std::uintmax_t kMaxFileBytes = 65536;

    struct Calibration {
        std::uint16_t illuminant = 0;
        std::array<double, 9> matrix{};
    };

    std::array<Calibration, 2> calibrations;
    std::array<double, 3> balance{};  // 0: keep the scan's gain for that colour

    // The built-in calibration: illuminant 17 and 22 with the sensor's matrices, no balance.
    [[nodiscard]] static RetrievalDngColor BuiltIn();
    // The built-in calibration with the override file of `folder` applied, when there is one.
    [[nodiscard]] static RetrievalDngColor ForFolder(const std::filesystem::path& folder);
    // Applies an override text. Numbers are read whatever the locale; reading stops at the
    // first group that is incomplete or not a number, and only complete groups are taken.
    void ApplyOverride(std::string_view text);

    // The analog balance for a scan taken with `gains`.
    [[nodiscard]] std::array<double, 3> Balance(const std::array<double, 3>& gains) const;
};

}  // namespace scanora
