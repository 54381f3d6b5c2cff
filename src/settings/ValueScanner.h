#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace scanora {

// Takes white-space separated numbers and words from the value of a settings line, in order:
// white space before each is skipped, a number ends at the first character that does not belong
// to it, and "." is the decimal point whatever the locale. A number outside its type's range,
// or no number at all, is a failure; after the first failure every later read fails as well, so
// a list that breaks off leaves the rest of its fields untouched.
class ValueScanner {
public:
    explicit ValueScanner(std::string_view value) : value_(value) {}

    std::optional<std::int16_t> NextInt16();
    std::optional<std::uint16_t> NextUInt16();
    std::optional<std::int32_t> NextInt32();
    std::optional<std::uint32_t> NextUInt32();
    // A finite decimal number ("12", "-0.5", "1e-05"); infinities and NaN do not count.
    std::optional<double> NextReal();
    // The next run of characters up to white space or the end of the value.
    std::optional<std::string_view> NextWord();

    [[nodiscard]] bool Failed() const { return failed_; }

private:
    template <typename Number>
    std::optional<Number> NextInteger();
    // Skips white space and an explicit plus sign; false (and failed) when no number can follow.
    bool StartNumber();
    std::nullopt_t Fail();

    std::string_view value_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

}  // namespace scanora
