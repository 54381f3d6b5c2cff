#include "imaging/LineRealignment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace scanora {
namespace {

// Big-endian bytes of 16-bit samples, as the camera sends them.
std::vector<std::uint8_t> BigEndian(const std::vector<std::uint16_t>& samples)
{
    std::vector<std::uint8_t> bytes;
    for (const std::uint16_t sample : samples) {
        bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
        bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
    }
    return bytes;
}

// The 16-bit samples of `bytes` in host order.
std::vector<std::uint16_t> HostSamples(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

TEST(LineRealignmentTest, SixteenBitColourSwapsEachSampleWithoutOffset)
{
    auto bytes = BigEndian({0x1234, 0x5678, 0x9ABC, 0x00FF, 0xFF00, 0x0001});
    ASSERT_TRUE(RealignLines(bytes, 2, SampleType::kColour16, 0));
    EXPECT_EQ(HostSamples(bytes),
              (std::vector<std::uint16_t>{0x1234, 0x5678, 0x9ABC, 0x00FF, 0xFF00, 0x0001}));
}

TEST(LineRealignmentTest, SixteenBitColourTakesRedAndGreenFromLinesAhead)
{
    // Three camera lines of two pixels; sample 0xLPC is line L, pixel P, colour C. One line
    // is 6 samples, so the row offset d = 1 line is 6 samples.
    auto bytes = BigEndian({0x001, 0x002, 0x003, 0x011, 0x012, 0x013,    // line 0
                            0x101, 0x102, 0x103, 0x111, 0x112, 0x113,    // line 1
                            0x201, 0x202, 0x203, 0x211, 0x212, 0x213});  // line 2
    ASSERT_TRUE(RealignLines(bytes, 2, SampleType::kColour16, 6));
    // Line 0 now holds red from line 2, green from line 1, its own blue; lines 1 and 2 stay as
    // the camera sent them.
    const std::vector<std::uint16_t> lineZero{0x201, 0x102, 0x003, 0x211, 0x112, 0x013};
    const auto samples = HostSamples(bytes);
    EXPECT_EQ(std::vector<std::uint16_t>(samples.begin(), samples.begin() + 6), lineZero);
    EXPECT_EQ(bytes[12], 0x01) << "line 1 keeps the camera's byte order";
    EXPECT_EQ(bytes[13], 0x01);
}

TEST(LineRealignmentTest, EightBitColourMovesBytesByTheByteOffset)
{
    std::vector<std::uint8_t> bytes{0x01, 0x02, 0x03, 0x11, 0x12, 0x13, 0x21, 0x22,
                                    0x23, 0x31, 0x32, 0x33, 0x41, 0x42, 0x43};
    ASSERT_TRUE(RealignLines(bytes, 2, SampleType::kColour8, 3));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x21, 0x12, 0x03, 0x31, 0x22, 0x13, 0x21, 0x22,
                                                0x23, 0x31, 0x32, 0x33, 0x41, 0x42, 0x43}));
}

TEST(LineRealignmentTest, MonochromeSwapsCountSamplesOnly)
{
    auto bytes = BigEndian({0x0102, 0x0304, 0x0506});
    ASSERT_TRUE(RealignLines(bytes, 2, SampleType::kMono16, 99));
    EXPECT_EQ(HostSamples(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4)),
              (std::vector<std::uint16_t>{0x0102, 0x0304}));
    EXPECT_EQ(bytes[4], 0x05) << "the sample after the count is left alone";
    EXPECT_EQ(bytes[5], 0x06);
}

TEST(LineRealignmentTest, OtherTypesLeaveTheDataAlone)
{
    const std::vector<std::uint8_t> original{1, 2, 3, 4, 5, 6};
    for (const int type : {SampleType::kNone, 0, 4, 7}) {
        auto bytes = original;
        EXPECT_TRUE(RealignLines(bytes, 1, type, 0)) << type;
        EXPECT_EQ(bytes, original) << type;
    }
}

TEST(LineRealignmentTest, TooShortDataIsRefusedUntouched)
{
    // One pixel with an offset of 2 samples needs 3 + 2 * 2 = 7 samples: 14 bytes.
    const std::vector<std::uint8_t> original(13, 0xAB);
    auto bytes = original;
    EXPECT_FALSE(RealignLines(bytes, 1, SampleType::kColour16, 2));
    EXPECT_FALSE(RealignLines(bytes, 7, SampleType::kMono16, 0));
    EXPECT_FALSE(RealignLines(bytes, 4, SampleType::kColour8, 1));
    EXPECT_FALSE(RealignLines(bytes, SIZE_MAX / 2, SampleType::kColour16, SIZE_MAX / 2));
    EXPECT_EQ(bytes, original);
    bytes.push_back(0xAB);
    EXPECT_TRUE(RealignLines(bytes, 1, SampleType::kColour16, 2));
}

// Long runs go through whole groups of pixels and then a tail; both must give what the
// per-sample definition gives, for any offset (not only multiples of a line).
TEST(LineRealignmentTest, LongRunsMatchThePerSampleDefinition)
{
    for (const std::size_t offset : {0U, 1U, 5U, 24U, 31U}) {
        for (const std::size_t count : {7U, 8U, 29U, 64U}) {
            std::vector<std::uint16_t> input(3 * count + 2 * offset);
            for (std::size_t k = 0; k < input.size(); ++k)
                input[k] = static_cast<std::uint16_t>(0x1000 + 7 * k);
            auto bytes = BigEndian(input);
            ASSERT_TRUE(RealignLines(bytes, count, SampleType::kColour16, offset));
            const auto output = HostSamples(bytes);
            for (std::size_t i = 0; i < count; ++i) {
                ASSERT_EQ(output[3 * i], input[3 * i + 2 * offset]) << offset << " " << i;
                ASSERT_EQ(output[3 * i + 1], input[3 * i + offset + 1]) << offset << " " << i;
                ASSERT_EQ(output[3 * i + 2], input[3 * i + 2]) << offset << " " << i;
            }

            std::vector<std::uint8_t> narrow(3 * count + 2 * offset);
            for (std::size_t k = 0; k < narrow.size(); ++k)
                narrow[k] = static_cast<std::uint8_t>(k);
            const auto before = narrow;
            ASSERT_TRUE(RealignLines(narrow, count, SampleType::kColour8, offset));
            for (std::size_t i = 0; i < count; ++i) {
                ASSERT_EQ(narrow[3 * i], before[3 * i + 2 * offset]);
                ASSERT_EQ(narrow[3 * i + 1], before[3 * i + offset + 1]);
                ASSERT_EQ(narrow[3 * i + 2], before[3 * i + 2]);
            }
        }
    }
}

}  // namespace
}  // namespace scanora
