#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "LibTiff.h"
#include "TiffTestSupport.h"
#include "output/FileTiffInput.h"
#include "output/TiffReader.h"
#include "platform/UniqueFd.h"
#include "support/TempDir.h"

namespace scanora::test {
namespace {

namespace fs = std::filesystem;

// A file stream that may seek past its end. The bytes skipped are never written: they stay a
// hole in the file that reads as zeros and takes no room on the disk.
class SparseFileStream final : public OutputStream {
public:
    explicit SparseFileStream(const fs::path& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644))
    {
    }

    bool Write(std::span<const std::uint8_t> bytes) override
    {
        std::size_t done = 0;
        while (!failed_ && done < bytes.size()) {
            const ssize_t n = ::pwrite(fd_.Get(), bytes.data() + done, bytes.size() - done,
                                       static_cast<off_t>(position_ + done));
            failed_ = n <= 0;
            done += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        position_ += done;
        return !failed_;
    }
    using OutputStream::Write;
    [[nodiscard]] std::uint64_t Position() const override { return position_; }
    bool Seek(std::uint64_t offset) override
    {
        position_ = offset;
        return !failed_;
    }
    [[nodiscard]] bool Failed() const override { return failed_ || !fd_.IsValid(); }

private:
    UniqueFd fd_;
    std::uint64_t position_ = 0;
    bool failed_ = false;
};

Bytes RowPattern(std::size_t size, std::uint8_t seed)
{
    Bytes row(size);
    for (std::size_t i = 0; i < size; ++i)
        row[i] = static_cast<std::uint8_t>(i * seed + i / 509 + seed);
    return row;
}

// 65536 pixels of 16-bit RGB in 10923 rows: 131073 bytes more than 32-bit offsets reach.
TEST(TiffBigTiffTest, ImageBeyond4GiBIsBigTiffThatLibtiffReadsToTheLastRow)
{
    TIFFDescription d = FullDescription();
    d.width = 65536;
    d.height = 10923;
    const std::uint64_t rowBytes = d.RowBytes();
    ASSERT_GT(d.ImageBytes(), std::uint64_t{0xFFFFFFFF});

    const TempDir folder;
    // Only a few blocks are written, but a file system without holes needs it all.
    if (fs::space(folder.Path()).available < d.ImageBytes() + (std::uint64_t{64} << 20))
        GTEST_SKIP() << "needs " << (d.ImageBytes() >> 20) << " MiB free in " << folder.Path();
    const fs::path path = folder.Path() / "big.tif";
    const Bytes first = RowPattern(rowBytes, 3);
    const Bytes last = RowPattern(rowBytes, 5);
    {
        SparseFileStream stream(path);
        TiffWriter writer(stream);
        ASSERT_TRUE(writer.Open(d));
        ASSERT_TRUE(writer.Layout()->IsBigTiff());
        ASSERT_TRUE(writer.WriteData(first));
        ASSERT_TRUE(stream.Seek(writer.Layout()->StripEnd() - rowBytes));
        ASSERT_TRUE(writer.WriteData(last));
        ASSERT_TRUE(writer.Close());
    }
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    RecordProperty("allocated_bytes", std::to_string(info.st_blocks * 512));

    FileTiffInput input;
    ASSERT_TRUE(input.Open(path));
    TiffReader reader(input);
    ASSERT_TRUE(reader.ReadDescription()) << reader.Error();
    EXPECT_EQ(reader.Description().height, d.height);
    EXPECT_EQ(reader.Description().make, d.make);
    EXPECT_EQ(reader.Description().makerNote, d.makerNote);
    EXPECT_EQ(reader.Description().userComment, d.userComment);
    Bytes row(rowBytes);
    ASSERT_TRUE(reader.ReadRows(d.height - 1, row));
    EXPECT_EQ(row, last);
    ASSERT_TRUE(reader.ReadRows(0, row));
    EXPECT_EQ(row, first);

    const std::unique_ptr<LibTiff> libtiff = LibTiff::Load();
    if (!libtiff)
        GTEST_SKIP() << "libtiff is not installed";
    const LibTiff::Image image = libtiff->Read(path, d.height - 1, 1);
    ASSERT_TRUE(image.opened);
    EXPECT_TRUE(image.messages.empty()) << image.messages.front();
    EXPECT_TRUE(image.bigTiff);
    EXPECT_EQ(image.width, d.width);
    EXPECT_EQ(image.height, d.height);
    EXPECT_TRUE(image.rows == last) << "libtiff reads another last row";
}

}  // namespace
}  // namespace scanora::test
