#include "platform/MirroredBuffer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>

namespace scanora {
namespace {

TEST(MirroredBuffer, TheBytesAfterTheEndAreTheBeginningAgain)
{
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const auto buffer = MirroredBuffer::Create(3 * page - 100);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->Size(), 3 * page) << "whole pages";
    std::uint8_t* const data = buffer->Data();
    std::memset(data, 0, buffer->Size());
    data[0] = 7;
    data[page + 5] = 9;
    EXPECT_EQ(data[buffer->Size()], 7);
    EXPECT_EQ(data[buffer->Size() + page + 5], 9);
    // Written through the second view, read through the first.
    data[buffer->Size() + 1] = 3;
    EXPECT_EQ(data[1], 3);

    EXPECT_EQ(MirroredBuffer::Create(0), nullptr);
}

}  // namespace
}  // namespace scanora
