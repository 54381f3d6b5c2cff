#include "acquire/LargeAllocation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>

namespace scanora {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kNoLimit = std::size_t{1} << 40;

bool AllZero(std::span<const std::uint16_t> samples)
{
    return std::all_of(samples.begin(), samples.end(), [](std::uint16_t s) { return s == 0; });
}

TEST(LargeAllocation, BothPageSizesGiveZeroedWritableArraysAtTheirAlignment)
{
    // A size that is no whole number of pages, so that the last bytes sit in a partial one.
    constexpr std::size_t kCount = 3 * kHugePage / 2 + 11;
    for (const PageSize pages : {PageSize::kHuge, PageSize::kNormal}) {
        const auto array = TryAllocateLarge<std::uint16_t>(kCount, kNoLimit, pages);
        ASSERT_NE(array, nullptr);
        const auto address = reinterpret_cast<std::uintptr_t>(array.get());
        EXPECT_EQ(address % (pages == PageSize::kHuge ? kHugePage : 4096), 0u);
        const std::span<std::uint16_t> samples(array.get(), kCount);
        EXPECT_TRUE(AllZero(samples));
        samples.front() = 1;
        samples.back() = 2;
        EXPECT_EQ(samples.back(), 2);
    }
}

TEST(LargeAllocation, SmallArraysAreAllocatedToo)
{
    const auto array = TryAllocateLarge<std::uint8_t>(1, kNoLimit);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(array[0], 0);
}

TEST(LargeAllocation, FreshArraysAreZeroAfterEarlierOnesWereWrittenAndFreed)
{
    for (int round = 0; round < 3; ++round) {
        const auto array = TryAllocateLarge<std::uint16_t>(kHugePage, kNoLimit);
        ASSERT_NE(array, nullptr);
        const std::span<std::uint16_t> samples(array.get(), kHugePage);
        EXPECT_TRUE(AllZero(samples)) << "round " << round;
        std::fill(samples.begin(), samples.end(), std::uint16_t{0xABCD});
    }
}

TEST(LargeAllocation, RefusesEmptyOverLimitAndUnmappableSizes)
{
    EXPECT_EQ(TryAllocateLarge<std::uint16_t>(0, kNoLimit), nullptr);
    // The limit counts bytes, not elements.
    EXPECT_EQ(TryAllocateLarge<std::uint16_t>(513, 1024), nullptr);
    EXPECT_NE(TryAllocateLarge<std::uint16_t>(512, 1024), nullptr);
    const std::size_t huge = SIZE_MAX / 2;
    EXPECT_EQ(TryAllocateLarge<std::uint16_t>(huge, SIZE_MAX), nullptr);
    EXPECT_EQ(TryAllocateLarge<std::uint8_t>(SIZE_MAX - 1, SIZE_MAX), nullptr);
}

}  // namespace
}  // namespace scanora
