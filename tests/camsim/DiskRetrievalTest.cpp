#include <gtest/gtest.h>

#include <sys/resource.h>

#include <string>

#include "DiskHosts.h"
#include "camsim/CaptureRenderer.h"
#include "camsim/SampleImages.h"

namespace camsim::test {
namespace {

SimConfig Config(SimLink link, int model = 6)
{
    SimConfig config;
    config.model = model;
    config.link = link;
    config.speed = 0.0;
    return config;
}

std::string Faults(SimConfig& config, const std::string& faults)
{
    std::string error;
    EXPECT_TRUE(ParseSimFaults(faults, config.faults, error)) << error;
    return error;
}

bool AllZero(const Bytes& bytes, std::size_t from = 0)
{
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(),
                       [](std::uint8_t b) { return b == 0; });
}

// The stored bytes [offset, offset + count) of `recipe`'s image, made line by line from
// the renderer's raw lines.
Bytes StoredBytes(const CaptureRecipe& recipe, std::uint64_t offset, std::size_t count)
{
    CaptureRenderer renderer(recipe);
    const std::uint64_t lineBytes = recipe.LineBytes();
    const std::uint64_t total = recipe.SensorLines(CaptureKind::Scan) * lineBytes;
    Bytes line(lineBytes);
    Bytes out;
    for (std::uint64_t at = offset; at < offset + count; ++at) {
        if (at >= total) {
            out.push_back(0);
            continue;
        }
        if (at == offset || at % lineBytes == 0)
            renderer.RawLine(static_cast<std::int64_t>(at / lineBytes), line);
        out.push_back(line[at % lineBytes]);
    }
    return out;
}

class DiskRetrieval : public ::testing::TestWithParam<SimLink> {};

// Sample Chart 16 on the Model Cedar: 5290560 stored bytes, a whole chunk and a partial one.
TEST_P(DiskRetrieval, ChunksCoverTheStoredImageAndZerosBeyondIt)
{
    SimCamera camera(Config(GetParam()));
    const std::unique_ptr<DiskHost> host = MakeDiskHost(camera);
    const CaptureRecipe recipe = camera.DiskImage(1)->recipe;
    constexpr std::size_t kStored = 5290560;
    ASSERT_EQ(recipe.SensorLines(CaptureKind::Scan) * recipe.LineBytes(), kStored);

    const Bytes first = host->ReadChunk(1, 0);
    const Bytes second = host->ReadChunk(1, 1);
    ASSERT_EQ(first.size(), DiskHost::kChunkBytes);
    ASSERT_EQ(second.size(), DiskHost::kChunkBytes);
    // Across the boundary between the chunks, and the end of the stored image.
    constexpr std::size_t kAround = 20000;
    const Bytes boundary = StoredBytes(recipe, DiskHost::kChunkBytes - kAround, 2 * kAround);
    EXPECT_TRUE(std::equal(first.end() - kAround, first.end(), boundary.begin()));
    EXPECT_TRUE(std::equal(second.begin(), second.begin() + kAround, boundary.begin() + kAround));
    const std::size_t inLast = kStored - DiskHost::kChunkBytes;
    const Bytes end = StoredBytes(recipe, kStored - kAround, kAround);
    EXPECT_TRUE(std::equal(second.begin() + static_cast<std::ptrdiff_t>(inLast - kAround),
                           second.begin() + static_cast<std::ptrdiff_t>(inLast), end.begin()));
    EXPECT_NE(second[inLast - 1], 0) << "the last stored byte is a sample";
    EXPECT_TRUE(AllZero(second, inLast)) << "past the image: zeros";
    EXPECT_TRUE(AllZero(host->ReadChunk(1, 2)));
    EXPECT_TRUE(AllZero(host->ReadChunk(9, 0))) << "no image at block 9";

    // A chunk read again, after another image's, is the same.
    EXPECT_FALSE(AllZero(host->ReadChunk(2, 0)));
    EXPECT_EQ(host->ReadChunk(1, 1), second);
}

TEST_P(DiskRetrieval, NotesWrittenBackAreKeptAcrossARestart)
{
    TempDir folder;
    SimConfig config = Config(GetParam());
    config.diskDir = folder.Path().string();
    Bytes header;
    {
        SimCamera camera(config);
        const std::unique_ptr<DiskHost> host = MakeDiskHost(camera);
        header = host->ReadHeader(3);
        ASSERT_EQ(header.size(), 512u);
        const std::string capture(header.begin() + 257,
                                  std::find(header.begin() + 257, header.end(), '\r') + 1);
        const std::string notes = capture + "Edited on the host";
        std::fill(header.begin() + 257, header.end(), ' ');
        std::copy(notes.begin(), notes.end(), header.begin() + 257);
        header[256] = static_cast<std::uint8_t>(notes.size());
        EXPECT_TRUE(host->WriteHeader(3, header));
        EXPECT_FALSE(host->WriteHeader(9, header)) << "no image there";
        EXPECT_EQ(host->ReadHeader(3), header);
    }
    // The other link reads what this one wrote.
    config.link = GetParam() == SimLink::Usb ? SimLink::Scsi : SimLink::Usb;
    SimCamera camera(config);
    const std::unique_ptr<DiskHost> host = MakeDiskHost(camera);
    EXPECT_EQ(host->ReadHeader(3), header);
    EXPECT_EQ(host->Send("CDQ"), "DQ06") << "no second set of samples";
}

TEST_P(DiskRetrieval, DeletingAndInitialisingFreeTheirMegabytes)
{
    SimCamera camera(Config(GetParam()));
    const std::unique_ptr<DiskHost> host = MakeDiskHost(camera);
    EXPECT_EQ(host->FreeMegabytes(), 18419u) << "36839 free half megabytes";
    EXPECT_EQ(host->Send("CDD01"), "#OK");  // 11 units
    EXPECT_EQ(host->FreeMegabytes(), 18425u);
    EXPECT_EQ(host->Send("CDD01"), "#E02") << "already gone";
    EXPECT_EQ(host->FreeMegabytes(), 18425u);
    EXPECT_EQ(host->Send("CDD04"), "#OK");  // 1 unit
    EXPECT_EQ(host->FreeMegabytes(), 18425u) << "36851 half megabytes";
    EXPECT_EQ(host->Send("CDD02"), "#OK");  // 7 units
    EXPECT_EQ(host->FreeMegabytes(), 18429u);
    EXPECT_EQ(host->Send("CDI"), "#OK");
    EXPECT_EQ(host->FreeMegabytes(), 18432u);
    EXPECT_EQ(host->Send("CDQ"), "DQ01");
    EXPECT_TRUE(AllZero(host->ReadChunk(3, 0))) << "gone with the disk";
}

// dropdata:4000000: the first chunk (3 MiB) arrives, the second would pass the limit.
TEST_P(DiskRetrieval, DropDataKillsTheLinkInTheReadThatPassesTheLimit)
{
    SimConfig config = Config(GetParam());
    Faults(config, "dropdata:4000000");
    SimCamera camera(config);
    const std::unique_ptr<DiskHost> host = MakeDiskHost(camera);
    EXPECT_EQ(host->Send("CDQ"), "DQ06");
    EXPECT_EQ(host->ReadHeader(1).size(), 512u) << "header blocks do not count";
    EXPECT_EQ(host->ReadChunk(1, 0).size(), DiskHost::kChunkBytes);
    EXPECT_TRUE(host->ReadChunk(1, 1).empty());
    EXPECT_EQ(host->Send("CS"), "") << "every later transfer fails";
    EXPECT_TRUE(host->ReadHeader(1).empty());
    EXPECT_TRUE(host->ReadChunk(1, 0).empty());
}

TEST_P(DiskRetrieval, DropDataAtTheExactEndLetsThatReadThrough)
{
    SimConfig config = Config(GetParam());
    Faults(config, "dropdata:" + std::to_string(2 * DiskHost::kChunkBytes));
    SimCamera camera(config);
    const std::unique_ptr<DiskHost> host = MakeDiskHost(camera);
    EXPECT_EQ(host->ReadChunk(1, 0).size(), DiskHost::kChunkBytes);
    EXPECT_EQ(host->ReadChunk(1, 1).size(), DiskHost::kChunkBytes);
    EXPECT_EQ(host->ReadChunk(1, 0, 1).size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Links, DiskRetrieval, ::testing::Values(SimLink::Usb, SimLink::Scsi));

long PeakResidentKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A panorama of 10200 × 60000 pixels (3.68 GB stored) is served chunk by chunk from the recipe.
TEST(DiskRetrievalBig, APanoramaIsServedWithoutHoldingIt)
{
    SimConfig config = Config(SimLink::Usb, 1);
    config.sampleImages = false;
    config.bigImageWidth = 10200;
    config.bigImageLines = 60000;
    SimCamera camera(config);
    UsbDiskHost host(camera);
    const long before = PeakResidentKilobytes();
    // (60000 + 4 × 22) lines × 61200 bytes = 3677385600 bytes: 7015 half megabytes.
    EXPECT_EQ(host.Send("CDR00").substr(0, 35), "DR 6C 0000 1B67   01 27D8 EA60 0000");
    constexpr std::uint64_t kStored = 3677385600;
    const auto lastChunk = static_cast<std::uint16_t>(kStored / DiskHost::kChunkBytes);
    const RecordedImage image = *camera.DiskImage(1);

    const Bytes first = host.ReadChunk(1, 0);
    EXPECT_EQ(first, StoredBytes(image.recipe, 0, DiskHost::kChunkBytes));
    const Bytes middle = host.ReadChunk(1, 400);
    const Bytes expected =
        StoredBytes(image.recipe, 400 * std::uint64_t{DiskHost::kChunkBytes}, 70000);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), middle.begin()));
    const Bytes last = host.ReadChunk(1, lastChunk);
    const std::size_t inLast = kStored % DiskHost::kChunkBytes;
    EXPECT_FALSE(AllZero(Bytes(last.begin(), last.begin() + 61200)))
        << "the surround is dim, not black";
    EXPECT_TRUE(AllZero(last, inLast));
    EXPECT_TRUE(AllZero(host.ReadChunk(1, lastChunk + 1)));
    // The sanitizers' shadow memory grows with every byte touched, so the bound holds only in
    // a plain build.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_LT(PeakResidentKilobytes() - before, 64 * 1024) << "a few chunks, never the image";
#else
    static_cast<void>(before);
#endif
}

TEST(DiskRetrievalBig, TheBigImageIsRecordedAfterTheSamples)
{
    SimConfig config = Config(SimLink::Scsi, 1);
    config.bigImageWidth = 10200;
    config.bigImageLines = 13600;
    SimCamera camera(config);
    ScsiDiskHost host(camera);
    EXPECT_EQ(host.Send("CDQ"), "DQ07");
    EXPECT_EQ(host.Send("CDR05").substr(0, 35), "DR 6C 0000 063E   06 27D8 3520 0000");
    const Bytes header = host.ReadHeader(6);
    EXPECT_EQ(std::string(header.begin() + 192, header.begin() + 201), "Big Image");
}

}  // namespace
}  // namespace camsim::test
