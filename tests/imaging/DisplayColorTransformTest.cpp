#include "imaging/DisplayColorTransform.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

namespace scanora {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes SaveProfile(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    Bytes bytes;
    if (profile != nullptr && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        bytes.resize(size);
        cmsSaveProfileToMem(profile, bytes.data(), &size);
    }
    cmsCloseProfile(profile);
    return bytes;
}

// sRGB primaries and white with straight (gamma 1.0) tone curves.
Bytes LinearRgbProfile()
{
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsToneCurve* curves[3] = {linear, linear, linear};
    Bytes bytes = SaveProfile(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(linear);
    return bytes;
}

Bytes GreyProfile()
{
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    Bytes bytes = SaveProfile(cmsCreateGrayProfile(cmsD50_xyY(), gamma));
    cmsFreeToneCurve(gamma);
    return bytes;
}

// A device link that works on CMYK data.
Bytes CmykProfile()
{
    return SaveProfile(cmsCreateInkLimitingDeviceLink(cmsSigCmykData, 300));
}

Bytes Greys()
{
    Bytes pixels;
    for (int level = 0; level < 256; ++level) pixels.insert(pixels.end(), 3, std::uint8_t(level));
    return pixels;
}

// Every combination of 0, 17, ..., 255 in the three channels.
Bytes ColourCube()
{
    Bytes pixels;
    for (int r = 0; r < 256; r += 17) {
        for (int g = 0; g < 256; g += 17) {
            for (int b = 0; b < 256; b += 17)
                pixels.insert(pixels.end(), {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
        }
    }
    return pixels;
}

void ExpectWithinOneLevel(const Bytes& expected, const Bytes& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_LE(std::abs(int(expected[i]) - int(actual[i])), 1) << "byte " << i;
}

// Converts `pixels` as one row.
Bytes Converted(DisplayColorTransform& transform, Bytes pixels)
{
    EXPECT_TRUE(transform.Apply(pixels, int(pixels.size() / 3), 1, pixels.size()));
    return pixels;
}

TEST(DisplayColorTransformTest, SameProfileOnBothSidesLeavesPixelsAlone)
{
    DisplayColorTransform srgb({}, {});
    ASSERT_TRUE(srgb.IsValid()) << srgb.ErrorMessage();
    EXPECT_TRUE(srgb.ErrorMessage().empty());
    ExpectWithinOneLevel(Greys(), Converted(srgb, Greys()));
    ExpectWithinOneLevel(ColourCube(), Converted(srgb, ColourCube()));

    const Bytes linear = LinearRgbProfile();
    ASSERT_FALSE(linear.empty());
    DisplayColorTransform same(linear, linear);
    ASSERT_TRUE(same.IsValid()) << same.ErrorMessage();
    ExpectWithinOneLevel(Greys(), Converted(same, Greys()));
    ExpectWithinOneLevel(ColourCube(), Converted(same, ColourCube()));
}

TEST(DisplayColorTransformTest, LinearProfileIsEncodedForAnSrgbDisplay)
{
    DisplayColorTransform transform(LinearRgbProfile(), {});
    ASSERT_TRUE(transform.IsValid()) << transform.ErrorMessage();
    const Bytes out = Converted(transform, {0, 0, 0, 128, 128, 128, 255, 255, 255});
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_LE(out[channel], 1);
        EXPECT_NEAR(out[3 + channel], 188, 2);
        EXPECT_GE(out[6 + channel], 254);
    }
    // And back: sRGB mid grey is dark in linear light.
    DisplayColorTransform back({}, LinearRgbProfile());
    ASSERT_TRUE(back.IsValid());
    EXPECT_NEAR(Converted(back, {188, 188, 188})[1], 128, 2);
}

TEST(DisplayColorTransformTest, ConvertsOnlyThePixelsOfEachRow)
{
    // Three rows of two pixels in rows of 8 bytes: the two padding bytes stay as they are.
    constexpr std::size_t kStride = 8;
    Bytes area(3 * kStride, 0xAB);
    for (std::size_t row = 0; row < 3; ++row)
        std::fill_n(area.begin() + std::ptrdiff_t(row * kStride), 6, std::uint8_t(128));
    DisplayColorTransform transform(LinearRgbProfile(), {});
    ASSERT_TRUE(transform.Apply(area, 2, 3, kStride));
    for (std::size_t row = 0; row < 3; ++row) {
        for (std::size_t i = 0; i < kStride; ++i) {
            const int value = area[row * kStride + i];
            if (i < 6)
                EXPECT_NEAR(value, 188, 2) << row << ", " << i;
            else
                EXPECT_EQ(value, 0xAB) << row << ", " << i;
        }
    }
    // The last row needs only its own pixels, not a whole stride.
    Bytes tight(kStride + 6, 128);
    EXPECT_TRUE(transform.Apply(tight, 2, 2, kStride));

    // Areas that do not fit are refused untouched.
    Bytes small(2 * kStride, 128);
    EXPECT_FALSE(transform.Apply(small, 2, 3, kStride));
    EXPECT_FALSE(transform.Apply(small, 3, 1, 6));
    EXPECT_FALSE(transform.Apply(small, 2, 2, 5));
    EXPECT_FALSE(transform.Apply(small, -1, 1, kStride));
    EXPECT_EQ(small, Bytes(2 * kStride, 128));
    EXPECT_TRUE(transform.Apply(small, 0, 0, 0));

    // A moved transform keeps working.
    DisplayColorTransform moved = std::move(transform);
    EXPECT_NEAR(Converted(moved, {128, 128, 128})[0], 188, 2);
}

TEST(DisplayColorTransformTest, UnusableProfilesGiveNoTransformAndPrintNothing)
{
    const Bytes linear = LinearRgbProfile();
    std::vector<Bytes> unusable = {GreyProfile(), CmykProfile(), {'n', 'o', 't'}};
    for (const std::size_t cut :
         {std::size_t{4}, std::size_t{128}, std::size_t{200}, linear.size() / 2, linear.size() - 1})
        unusable.emplace_back(linear.begin(), linear.begin() + std::ptrdiff_t(cut));
    std::mt19937 random(20240611);
    for (const std::size_t size : {std::size_t{16}, std::size_t{132}, std::size_t{4096}}) {
        Bytes noise(size);
        for (std::uint8_t& byte : noise) byte = std::uint8_t(random());
        unusable.push_back(noise);
        // A plausible header over noise: the size field and the signature are right.
        Bytes header = noise;
        const auto length = std::uint32_t(size);
        header[0] = std::uint8_t(length >> 24);
        header[1] = std::uint8_t(length >> 16);
        header[2] = std::uint8_t(length >> 8);
        header[3] = std::uint8_t(length);
        if (size > 40)
            std::copy_n("acsp", 4, header.begin() + 36);
        unusable.push_back(header);
    }

    testing::internal::CaptureStderr();
    for (std::size_t i = 0; i < unusable.size(); ++i) {
        for (const bool asDisplay : {false, true}) {
            DisplayColorTransform transform(asDisplay ? Bytes{} : unusable[i],
                                            asDisplay ? unusable[i] : Bytes{});
            EXPECT_FALSE(transform.IsValid()) << "profile " << i << " as display " << asDisplay;
            EXPECT_FALSE(transform.ErrorMessage().empty()) << "profile " << i;
            Bytes pixels{10, 20, 30};
            EXPECT_FALSE(transform.Apply(pixels, 1, 1, 3));
            EXPECT_EQ(pixels, (Bytes{10, 20, 30}));
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace scanora
