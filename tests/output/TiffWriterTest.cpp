#include "output/TiffWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>

#include "TiffTestSupport.h"
#include "output/TIFFFile.h"
#include "support/TempDir.h"

namespace scanora::test {
namespace {

namespace fs = std::filesystem;

// A memory stream that fails, and stays failed, once `limit` bytes have been written.
class FailingStream final : public OutputStream {
public:
    explicit FailingStream(std::uint64_t limit) : limit_(limit) {}

    bool Write(std::span<const std::uint8_t> bytes) override
    {
        written_ += bytes.size();
        failed_ = failed_ || written_ > limit_;
        return !failed_ && memory_.Write(bytes);
    }
    using OutputStream::Write;
    [[nodiscard]] std::uint64_t Position() const override { return memory_.Position(); }
    bool Seek(std::uint64_t offset) override { return !failed_ && memory_.Seek(offset); }
    [[nodiscard]] bool Failed() const override { return failed_; }

private:
    MemoryOutputStream memory_;
    std::uint64_t limit_;
    std::uint64_t written_ = 0;
    bool failed_ = false;
};

TEST(TiffWriterTest, UnfinishedStreamHoldsNoImageUntilClose)
{
    const TIFFDescription d = GrayDescription();
    MemoryOutputStream stream;
    TiffWriter writer(stream);
    ASSERT_TRUE(writer.Open(d));
    EXPECT_EQ(stream.Position(), 208u) << "positioned at the start of the pixels";
    EXPECT_EQ(Le32(stream.Bytes(), 4), 0u) << "the header names no directory yet";
    EXPECT_EQ(ReadDirectoryAt(stream.Bytes(), 8).entries.at(279).value, 0u);

    const Bytes pixels = TestPixels(d);
    ASSERT_TRUE(writer.WriteData(pixels));
    ASSERT_TRUE(writer.Close());
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(Le32(stream.Bytes(), 4), 8u);
    const Directory ifd0 = ReadDirectoryAt(stream.Bytes(), 8);
    EXPECT_EQ(ifd0.entries.at(273).value, 208u);
    EXPECT_EQ(ifd0.entries.at(279).value, 24u);
    EXPECT_EQ(stream.Position(), stream.Bytes().size()) << "left at the end of the file";
}

TEST(TiffWriterTest, RowsMayArriveInAnySplit)
{
    const TIFFDescription d = FullDescription();
    const Bytes pixels = TestPixels(d);
    MemoryOutputStream stream;
    TiffWriter writer(stream);
    ASSERT_TRUE(writer.Open(d));
    ASSERT_TRUE(writer.WriteData(std::span(pixels).first(7)));
    ASSERT_TRUE(writer.WriteData({}));
    ASSERT_TRUE(writer.WriteData(std::span(pixels).subspan(7)));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(stream.Bytes(), WriteTiff(d, pixels));
}

TEST(TiffWriterTest, SamplesInMachineOrderAreStoredLittleEndian)
{
    TIFFDescription d = GrayDescription(3, 1);
    d.bitsPerSample = 16;
    MemoryOutputStream stream;
    TiffWriter writer(stream);
    ASSERT_TRUE(writer.Open(d));
    const std::vector<std::uint16_t> samples = {0x0102, 0xA0B0, 0xFFFE};
    ASSERT_TRUE(writer.WriteSamples(samples));
    ASSERT_TRUE(writer.Close());
    const Bytes& file = stream.Bytes();
    EXPECT_EQ(Bytes(file.end() - 6, file.end()), (Bytes{0x02, 0x01, 0xB0, 0xA0, 0xFE, 0xFF}));
}

TEST(TiffWriterTest, MoreBytesThanTheImageAreRefusedAndFewerFailTheClose)
{
    const TIFFDescription d = GrayDescription();
    const Bytes pixels = TestPixels(d);
    MemoryOutputStream stream;
    TiffWriter writer(stream);
    ASSERT_TRUE(writer.Open(d));
    ASSERT_TRUE(writer.WriteData(std::span(pixels).first(20)));
    EXPECT_FALSE(writer.WriteData(std::span(pixels).first(5))) << "one byte too many";
    EXPECT_EQ(stream.Bytes().size(), 208u + 20u) << "nothing of a refused write arrives";
    EXPECT_FALSE(writer.Close()) << "four bytes are missing";
    EXPECT_EQ(Le32(stream.Bytes(), 4), 0u) << "an incomplete image is never finished";
    EXPECT_FALSE(writer.WriteData(pixels)) << "closed";
}

// A failed write is reported, not lost: a full disk must not end in a file called saved.
TEST(TiffWriterTest, StreamFailuresAreReported)
{
    const TIFFDescription d = FullDescription();
    const Bytes pixels = TestPixels(d);
    {
        FailingStream stream(100);
        TiffWriter writer(stream);
        EXPECT_FALSE(writer.Open(d));
    }
    {
        FailingStream stream(1462 + 50);
        TiffWriter writer(stream);
        ASSERT_TRUE(writer.Open(d));
        EXPECT_FALSE(writer.WriteData(pixels));
        EXPECT_FALSE(writer.Close());
    }
    {
        // Everything but the final directories fits.
        FailingStream stream(1462 + 90);
        TiffWriter writer(stream);
        ASSERT_TRUE(writer.Open(d));
        EXPECT_TRUE(writer.WriteData(pixels));
        EXPECT_FALSE(writer.Close());
    }
}

TEST(TiffWriterTest, OpenRefusesDescriptionsATiffCannotHold)
{
    const std::vector<std::function<void(TIFFDescription&)>> changes = {
        [](TIFFDescription& d) { d.width = 0; },
        [](TIFFDescription& d) { d.height = 0; },
        [](TIFFDescription& d) { d.samplesPerPixel = 2; },
        [](TIFFDescription& d) { d.samplesPerPixel = 4; },
        [](TIFFDescription& d) { d.bitsPerSample = 0; },
        [](TIFFDescription& d) { d.bitsPerSample = 17; },
        [](TIFFDescription& d) {
            d.width = d.height = std::numeric_limits<std::uint32_t>::max();
            d.samplesPerPixel = 3;
            d.bitsPerSample = 16;
        },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        TIFFDescription d = GrayDescription();
        changes[i](d);
        MemoryOutputStream stream;
        TiffWriter writer(stream);
        EXPECT_FALSE(writer.Open(d)) << i;
        EXPECT_TRUE(stream.Bytes().empty()) << i;
        EXPECT_FALSE(writer.WriteData(Bytes(4))) << i;
        EXPECT_FALSE(writer.Close()) << i;
    }
}

class TIFFFileTest : public ::testing::Test {
protected:
    TempDir folder;
    fs::path path = folder.Path() / "Scan.tif";

    [[nodiscard]] std::size_t FilesInFolder() const
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()));
    }
};

TEST_F(TIFFFileTest, FileAppearsUnderItsNameOnlyWhenComplete)
{
    const TIFFDescription d = FullDescription();
    const Bytes pixels = TestPixels(d);
    TIFFFile file(path);
    ASSERT_TRUE(file.Open(d));
    ASSERT_TRUE(file.WriteData(pixels));
    EXPECT_FALSE(fs::exists(path));
    ASSERT_TRUE(file.Close()) << file.Error();
    EXPECT_EQ(ReadFile(path), WriteTiff(d, pixels));
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(TIFFFileTest, IncompleteOrAbandonedFilesLeaveNothingBehind)
{
    const TIFFDescription d = FullDescription();
    const Bytes pixels = TestPixels(d);
    {
        TIFFFile file(path);
        ASSERT_TRUE(file.Open(d));
        ASSERT_TRUE(file.WriteData(std::span(pixels).first(30)));
        EXPECT_FALSE(file.Close());
        EXPECT_FALSE(file.Error().empty());
    }
    {
        TIFFFile file(path);  // a cancelled retrieval: destroyed without Close
        ASSERT_TRUE(file.Open(d));
        ASSERT_TRUE(file.WriteData(std::span(pixels).first(30)));
    }
    EXPECT_EQ(FilesInFolder(), 0u);
}

TEST_F(TIFFFileTest, ReplacesAnExistingFileOnlyWhenTheNewOneIsComplete)
{
    WriteFile(path, Bytes{'o', 'l', 'd'});
    const TIFFDescription d = GrayDescription();
    TIFFFile file(path);
    ASSERT_TRUE(file.Open(d));
    EXPECT_FALSE(file.Close());
    EXPECT_EQ(ReadFile(path), (Bytes{'o', 'l', 'd'}));
    ASSERT_TRUE(file.Open(d));
    ASSERT_TRUE(file.WriteData(TestPixels(d)));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadFile(path).size(), 232u);
}

TEST_F(TIFFFileTest, OpenFailsWhenTheFileCannotBeCreated)
{
    TIFFFile file(folder.Path() / "missing" / "Scan.tif");
    EXPECT_FALSE(file.Open(GrayDescription()));
    EXPECT_NE(file.Error().find("missing"), std::string::npos) << file.Error();
    EXPECT_FALSE(file.WriteData(Bytes(4)));
    EXPECT_FALSE(file.Close());
}

TEST_F(TIFFFileTest, WritesIntoAStreamItIsGiven)
{
    const TIFFDescription d = DngDescription();
    MemoryOutputStream stream;
    TIFFFile file(stream);
    ASSERT_TRUE(file.Open(d));
    ASSERT_TRUE(file.WriteData(TestPixels(d)));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(stream.Bytes(), WriteTiff(d, TestPixels(d)));
    EXPECT_EQ(file.Description().uniqueCameraModel, d.uniqueCameraModel);
}

}  // namespace
}  // namespace scanora::test
