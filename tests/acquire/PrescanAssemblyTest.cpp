#include "acquire/PrescanAssembly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "acquire/LinePlacement.h"
#include "acquire/PreviewImage.h"
#include "imaging/ColorCorrectingToneCurve.h"

namespace scanora {
namespace {

constexpr std::uint16_t kUntouched = 0xBEEF;

// The scene value of colour c at preview line y, pixel x.
std::uint16_t Scene(int y, int x, int c)
{
    return static_cast<std::uint16_t>(y * 1000 + x * 10 + c + 1);
}

// What the camera sends for preview lines [first, first + count) at colour offset d: raw line n
// carries red of scene line first + n - 2d, green of first + n - d and blue of first + n, each
// sample big-endian; Q + 2d lines in all.
std::vector<std::uint8_t> CameraStream(int pixels, int first, int count, int d)
{
    std::vector<std::uint8_t> stream;
    for (int n = 0; n < count + 2 * d; ++n) {
        const int line = first + n;
        for (int x = 0; x < pixels; ++x) {
            for (const std::uint16_t sample :
                 {Scene(line - 2 * d, x, 0), Scene(line - d, x, 1), Scene(line, x, 2)}) {
                stream.push_back(static_cast<std::uint8_t>(sample >> 8));
                stream.push_back(static_cast<std::uint8_t>(sample & 0xFF));
            }
        }
    }
    return stream;
}

// Serves the camera's bytes block by block, as ReadBlocks does, and records each request.
class BlockStream {
public:
    explicit BlockStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    void Read(std::uint16_t blocks, std::span<std::uint8_t> out)
    {
        ASSERT_EQ(out.size(), blocks * 512U);
        requests_.push_back(blocks);
        for (std::uint8_t& byte : out) byte = position_ < bytes_.size() ? bytes_[position_++] : 0;
    }
    [[nodiscard]] const std::vector<int>& Requests() const { return requests_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
    std::vector<int> requests_;
};

// Runs the readout as the capture sequence does; returns the rows each group placed.
std::vector<PrescanAssembly::Rows> RunReadout(PrescanAssembly& assembly, BlockStream& camera)
{
    std::vector<PrescanAssembly::Rows> groups;
    while (!assembly.IsComplete()) {
        if (assembly.BlocksToRead() > 0)
            camera.Read(assembly.BlocksToRead(), assembly.ReadBuffer());
        groups.push_back(assembly.AssembleGroup());
        if (groups.size() > 10000)
            break;
    }
    return groups;
}

struct Preview {
    explicit Preview(PreviewGeometry geometry, int rotation, std::size_t limit = SIZE_MAX)
        : image(limit)
    {
        EXPECT_TRUE(image.SetRotation(rotation));
        EXPECT_TRUE(image.AllocatePreview(geometry));
        for (const bool second : {false, true})
            std::ranges::fill(image.Samples(second), kUntouched);
    }

    // Preview row y holds the scene's line y (true) or was left alone (false).
    void ExpectRow(int y, bool placed)
    {
        std::vector<std::uint16_t> row(static_cast<std::size_t>(image.Width()) * 3);
        ASSERT_TRUE(image.ReadPreviewRow(y, row));
        for (int x = 0; x < image.Width(); ++x) {
            for (int c = 0; c < 3; ++c) {
                const std::uint16_t want = placed ? Scene(y, x, c) : kUntouched;
                ASSERT_EQ(row[static_cast<std::size_t>(3 * x + c)], want)
                    << "row " << y << " pixel " << x << " colour " << c;
            }
        }
    }

    PreviewImage image;
};

TEST(PrescanPlanTest, ColourOffset)
{
    EXPECT_EQ(PrescanPlan::ColourOffset(false, 8, 3, 5), 1);
    EXPECT_EQ(PrescanPlan::ColourOffset(false, 11, 3, 1), 2) << "doubled for model 1";
    EXPECT_EQ(PrescanPlan::ColourOffset(true, 8, 3, 5), 5);
    EXPECT_EQ(PrescanPlan::ColourOffset(true, 11, 0, 1), 22);
    EXPECT_EQ(PrescanPlan::ColourOffset(true, 8, 9, 5), 0) << "never negative";
}

TEST(PrescanAssemblyTest, ScratchBufferSize)
{
    // P = 750, L = 1000, d = 1: 4500-byte lines, K = 9 blocks; 1002 lines = 4509000 bytes
    // -> 8807 blocks; 1002 mod 4 = 2 -> 18 blocks; 5 * 9 = 45 blocks.
    EXPECT_EQ(PrescanAssembly::ScratchBytes(750, 1000, 1), (8807U + 18 + 45) * 512);
}

// With d = 1 the first read brings 6 lines and every later read the blocks that complete four
// more; the last read stops at the T bytes the camera sends.
TEST(PrescanAssemblyTest, ReadsTheLeadInThenGroupsOfFour)
{
    // P = 100: 600-byte lines. L = 13: T = 15 * 600 = 9000 bytes = 17.6 blocks.
    Preview preview({100, 13, 4}, 0);
    PrescanAssembly assembly(preview.image, nullptr);
    ASSERT_EQ(assembly.Begin({}), PrescanAssembly::Start::Ready);
    EXPECT_TRUE(assembly.ReadsIntoImage());
    EXPECT_EQ(assembly.TotalBytes(), 9000U);
    EXPECT_EQ(assembly.BlocksToRead(), 8) << "6 * 600 = 3600 bytes";
    EXPECT_EQ(assembly.RemainingLines(), 15U);

    BlockStream camera(CameraStream(100, 0, 13, 1));
    const auto groups = RunReadout(assembly, camera);
    // 3600 -> 8 blocks (4096); 6000 -> 4 more (6144); 8400 -> 5 (8704); 9000 -> 1 (9216).
    EXPECT_EQ(camera.Requests(), (std::vector<int>{8, 4, 5, 1}));
    EXPECT_EQ(assembly.BytesRead(), 9216U);
    EXPECT_EQ(assembly.RemainingLines(), 0U);
    ASSERT_EQ(groups.size(), 4U);
    EXPECT_EQ(groups[2].first, 8);
    EXPECT_EQ(groups[3].first, 12);
    EXPECT_EQ(groups[3].count, 1) << "L + 2d = 15 is not a multiple of four";
    for (int y = 0; y < 13; ++y) preview.ExpectRow(y, true);
}

TEST(PrescanAssemblyTest, EveryInsertionGivesTheUprightScene)
{
    for (const int code : {1, 2, 3, 4}) {
        for (const int d : {0, 1, 2, 5}) {
            Preview preview({90, 10, 2 * d}, ViewRotationForInsert(code));
            PrescanAssembly assembly(preview.image, nullptr);
            ASSERT_EQ(assembly.Begin({std::nullopt, d}), PrescanAssembly::Start::Ready);
            EXPECT_EQ(assembly.ReadsIntoImage(), code == 2) << "code " << code << " d " << d;
            BlockStream camera(CameraStream(90, 0, 10, d));
            const auto groups = RunReadout(assembly, camera);
            EXPECT_EQ(groups.size(), 3U);
            EXPECT_EQ(assembly.LinesPlaced(), 10);
            std::size_t blocks = 0;
            for (const int request : camera.Requests()) blocks += static_cast<std::size_t>(request);
            EXPECT_EQ(blocks, (90U * 6 * (10 + 2 * d) + 511) / 512) << "T bytes in whole blocks";
            for (int y = 0; y < 10; ++y) preview.ExpectRow(y, true);
        }
    }
}

// A crop prescan fills only its rows; the rows above and below stay as they were, also for
// From Top, whose trailing colour lines would otherwise land below the crop.
TEST(PrescanAssemblyTest, CropPrescanLeavesTheOtherRowsAlone)
{
    for (const int code : {1, 2, 3, 4}) {
        Preview preview({40, 20, 4}, ViewRotationForInsert(code));
        PrescanAssembly assembly(preview.image, nullptr);
        ASSERT_EQ(assembly.Begin({PrescanPlan::Region{5, 7}, 2}), PrescanAssembly::Start::Ready);
        EXPECT_FALSE(assembly.ReadsIntoImage());
        EXPECT_EQ(assembly.TotalBytes(), 240U * 11);
        BlockStream camera(CameraStream(40, 5, 7, 2));
        const auto groups = RunReadout(assembly, camera);
        ASSERT_EQ(groups.size(), 2U);
        EXPECT_EQ(groups[0].first, 5);
        EXPECT_EQ(groups[1].first, 9);
        EXPECT_EQ(groups[1].count, 3);
        for (int y = 0; y < 20; ++y) preview.ExpectRow(y, y >= 5 && y < 12);
    }
}

// Lines shorter than a block: the reads run ahead of the groups, so groups follow that need no
// read, and every line is still placed.
TEST(PrescanAssemblyTest, ShortLinesStillPlaceEveryLine)
{
    Preview preview({10, 20, 2}, 0);
    PrescanAssembly assembly(preview.image, nullptr);
    ASSERT_EQ(assembly.Begin({}), PrescanAssembly::Start::Ready);
    BlockStream camera(CameraStream(10, 0, 20, 1));
    const auto groups = RunReadout(assembly, camera);
    EXPECT_EQ(groups.size(), 5U);
    EXPECT_EQ(camera.Requests(), (std::vector<int>{1, 1, 1})) << "1320 bytes in three blocks";
    for (int y = 0; y < 20; ++y) preview.ExpectRow(y, true);
}

// From Top is read straight into the image only when the block reads fit its allocation: a
// model 1 super prescan has 2d beyond the extra rows and goes through the scratch buffer.
TEST(PrescanAssemblyTest, FromTopUsesScratchWhenTheImageCannotTakeTheLeadIn)
{
    Preview preview({50, 12, 0}, 0);
    PrescanAssembly assembly(preview.image, nullptr);
    ASSERT_EQ(assembly.Begin({std::nullopt, 3}), PrescanAssembly::Start::Ready);
    EXPECT_FALSE(assembly.ReadsIntoImage());
    BlockStream camera(CameraStream(50, 0, 12, 3));
    RunReadout(assembly, camera);
    for (int y = 0; y < 12; ++y) preview.ExpectRow(y, true);
}

TEST(PrescanAssemblyTest, WritesTheSuperPreviewWhenItIsCurrent)
{
    Preview preview({30, 8, 2}, 270);
    preview.image.SelectPreviewBuffer(true);
    PrescanAssembly assembly(preview.image, nullptr);
    ASSERT_EQ(assembly.Begin({}), PrescanAssembly::Start::Ready);
    BlockStream camera(CameraStream(30, 0, 8, 1));
    RunReadout(assembly, camera);
    for (int y = 0; y < 8; ++y) preview.ExpectRow(y, true);
    EXPECT_TRUE(std::ranges::all_of(preview.image.Samples(false),
                                    [](std::uint16_t s) { return s == kUntouched; }));
}

TEST(PrescanAssemblyTest, ConvertsEachGroupForTheDisplay)
{
    ColorCorrectingToneCurve curve;
    curve.SetRawBits(16);
    curve.BuildRawTable();
    Preview preview({30, 8, 2}, 0);
    PrescanAssembly assembly(preview.image, &curve);
    ASSERT_EQ(assembly.Begin({PrescanPlan::Region{0, 4}, 1}), PrescanAssembly::Start::Ready);
    BlockStream camera(CameraStream(30, 0, 4, 1));
    RunReadout(assembly, camera);
    const auto copy = preview.image.DisplayCopy();
    EXPECT_EQ(copy[3 * (3 * 30 + 29) + 2], curve.MapBlue(Scene(3, 29, 2)));
    EXPECT_EQ(copy[3 * (4 * 30)], 0) << "row 4 was not placed";
}

TEST(PrescanAssemblyTest, StartFailuresAndEmptyRegions)
{
    PreviewImage none;
    PrescanAssembly noImage(none, nullptr);
    EXPECT_EQ(noImage.Begin({}), PrescanAssembly::Start::NoImage);
    EXPECT_TRUE(noImage.IsComplete());

    // A limit that holds the preview buffers but not the scratch buffer.
    PreviewImage small(1024);
    ASSERT_TRUE(small.SetRotation(270));
    ASSERT_TRUE(small.AllocatePreview({20, 8, 0}));
    PrescanAssembly noMemory(small, nullptr);
    EXPECT_EQ(noMemory.Begin({}), PrescanAssembly::Start::NoMemory);
    EXPECT_TRUE(noMemory.IsComplete());

    // Q = 0 still takes the 2d lines the camera sends, and places nothing.
    Preview preview({40, 10, 2}, 90);
    PrescanAssembly assembly(preview.image, nullptr);
    ASSERT_EQ(assembly.Begin({PrescanPlan::Region{30, 5}, 1}), PrescanAssembly::Start::Ready);
    EXPECT_EQ(assembly.FirstLine(), 10) << "the crop is kept inside the preview";
    EXPECT_EQ(assembly.LineCount(), 0);
    BlockStream camera(CameraStream(40, 10, 0, 1));
    const auto groups = RunReadout(assembly, camera);
    EXPECT_EQ(camera.Requests(), (std::vector<int>{1})) << "480 bytes";
    ASSERT_EQ(groups.size(), 1U);
    EXPECT_EQ(groups[0].count, 0);
    for (int y = 0; y < 10; ++y) preview.ExpectRow(y, false);
}

TEST(PrescanAssemblyTest, ReleaseEndsTheReadout)
{
    Preview preview({30, 8, 2}, 270);
    PrescanAssembly assembly(preview.image, nullptr);
    ASSERT_EQ(assembly.Begin({}), PrescanAssembly::Start::Ready);
    BlockStream camera(CameraStream(30, 0, 8, 1));
    camera.Read(assembly.BlocksToRead(), assembly.ReadBuffer());
    EXPECT_EQ(assembly.AssembleGroup().count, 4);
    assembly.Release();  // an aborted pass
    EXPECT_TRUE(assembly.IsComplete());
    EXPECT_EQ(assembly.BlocksToRead(), 0);
    EXPECT_TRUE(assembly.ReadBuffer().empty());
    EXPECT_EQ(assembly.AssembleGroup().count, 0);
    for (int y = 0; y < 8; ++y) preview.ExpectRow(y, y < 4);
}

}  // namespace
}  // namespace scanora
