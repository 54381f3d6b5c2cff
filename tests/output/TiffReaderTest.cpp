#include "output/TiffReader.h"

#include <gtest/gtest.h>

#include <functional>

#include "TiffTestSupport.h"
#include "output/TIFFFile.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora::test {
namespace {

namespace fs = std::filesystem;

struct ReadResult {
    bool ok = false;
    TIFFDescription description;
    Bytes pixels;
    std::string error;
};

ReadResult ReadTiff(const Bytes& file)
{
    MemoryTiffInput input(file);
    TiffReader reader(input);
    ReadResult result;
    result.ok = reader.ReadImage(result.pixels);
    result.description = reader.Description();
    result.error = reader.Error();
    return result;
}

void ExpectSameMetadata(const TIFFDescription& read, const TIFFDescription& written)
{
    EXPECT_EQ(read.width, written.width);
    EXPECT_EQ(read.height, written.height);
    EXPECT_EQ(read.bitsPerSample, written.bitsPerSample);
    EXPECT_EQ(read.photometric, written.photometric);
    EXPECT_EQ(read.samplesPerPixel, written.samplesPerPixel);
    EXPECT_EQ(read.description, written.description);
    EXPECT_DOUBLE_EQ(read.xResolution, written.xResolution);
    EXPECT_DOUBLE_EQ(read.yResolution, written.xResolution);
    EXPECT_EQ(read.resolutionUnit, written.resolutionUnit);
    EXPECT_EQ(read.iccProfile, written.iccProfile);
    EXPECT_EQ(read.orientation, written.orientation);
    EXPECT_EQ(read.isDng, written.isDng);
    EXPECT_EQ(read.uniqueCameraModel, written.uniqueCameraModel);
    EXPECT_EQ(read.cameraSerialNumber, written.cameraSerialNumber);
    EXPECT_EQ(read.make, written.make);
    EXPECT_EQ(read.model, written.model);
    EXPECT_EQ(read.software, written.software);
    EXPECT_EQ(read.dateTime, written.dateTime);
    EXPECT_EQ(read.hasExif, written.hasExif);
    EXPECT_EQ(read.exposureDenominator, written.exposureDenominator);
    EXPECT_EQ(read.isoSpeed, written.isoSpeed);
    EXPECT_EQ(read.makerNote, written.makerNote);
    EXPECT_EQ(read.userComment, written.userComment);
}

TEST(TiffReaderTest, ReadsBackWhatTheWriterWrote)
{
    for (const TIFFDescription& written :
         {FullDescription(), DngDescription(), GrayDescription()}) {
        SCOPED_TRACE(written.photometric);
        const Bytes pixels = TestPixels(written);
        const ReadResult read = ReadTiff(WriteTiff(written, pixels));
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(read.description.byteOrder, TIFFDescription::kLittleEndian);
        ExpectSameMetadata(read.description, written);
        EXPECT_EQ(read.pixels, pixels);
    }
}

TEST(TiffReaderTest, ReadsSingleRowsAndChecksTheirRange)
{
    const TIFFDescription d = FullDescription();
    const Bytes pixels = TestPixels(d);
    const Bytes file = WriteTiff(d, pixels);
    MemoryTiffInput input(file);
    TiffReader reader(input);
    ASSERT_TRUE(reader.ReadDescription());
    Bytes row(d.RowBytes());
    ASSERT_TRUE(reader.ReadRows(2, row));
    EXPECT_TRUE(std::equal(row.begin(), row.end(), pixels.end() - 30));
    EXPECT_FALSE(reader.ReadRows(3, row));
    Bytes twoRows(2 * d.RowBytes());
    EXPECT_FALSE(reader.ReadRows(2, twoRows));
    EXPECT_FALSE(reader.ReadRows(0, std::span(row).first(7))) << "not whole rows";
    EXPECT_TRUE(reader.ReadRows(1, twoRows)) << "a refused request leaves the reader usable";
}

TEST(TiffReaderTest, UnfinishedFileIsRefused)
{
    const TIFFDescription d = GrayDescription();
    MemoryOutputStream stream;
    TiffWriter writer(stream);
    ASSERT_TRUE(writer.Open(d));
    ASSERT_TRUE(writer.WriteData(TestPixels(d)));
    const ReadResult read = ReadTiff(stream.Bytes());
    EXPECT_FALSE(read.ok);
    EXPECT_NE(read.error.find("not finished"), std::string::npos) << read.error;
}

// Every prefix of a file is a file someone may hand us: none of them is misread.
TEST(TiffReaderTest, TruncatedFilesFailCleanly)
{
    const TIFFDescription d = FullDescription();
    const Bytes file = WriteTiff(d, TestPixels(d));
    for (std::size_t length = 0; length < file.size(); ++length) {
        const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        MemoryTiffInput input(prefix);
        TiffReader reader(input);
        // The description is all there once the user comment, the last block, is.
        EXPECT_EQ(reader.ReadDescription(), length >= 1461) << length;
        Bytes pixels;
        EXPECT_FALSE(reader.ReadImage(pixels)) << length;
    }
}

// Each case spoils one field of a good file; the reader must refuse it and say why.
TEST(TiffReaderTest, RefusesLayoutsItDoesNotTake)
{
    const TIFFDescription d = FullDescription();
    const Bytes good = WriteTiff(d, TestPixels(d));
    const Directory ifd0 = ReadDirectoryAt(good, 8);
    const auto field = [&](std::uint16_t tag) { return ifd0.entries.at(tag).fieldAt; };
    const auto put32 = [](Bytes& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    struct Case {
        const char* what;
        std::function<void(Bytes&)> spoil;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"not a TIFF", [](Bytes& b) { b[0] = 'X'; }, "not a TIFF"},
        {"wrong magic", [](Bytes& b) { b[2] = 41; }, "not a TIFF"},
        {"directory beyond the end",
         [&](Bytes& b) { put32(b, 4, static_cast<std::uint32_t>(b.size() - 1)); }, "directory"},
        {"entry count beyond the end", [](Bytes& b) { b[8] = 0xFF; }, "directory"},
        {"two strips", [&](Bytes& b) { put32(b, field(273) - 4, 2); }, "several strips"},
        {"rows per strip", [&](Bytes& b) { put32(b, field(278), 1); }, "several strips"},
        {"compressed", [&](Bytes& b) { b[field(259)] = 5; }, "compressed"},
        {"planes", [&](Bytes& b) { b[field(284)] = 2; }, "planes"},
        {"four samples", [&](Bytes& b) { b[field(277)] = 4; }, "samples per pixel"},
        {"12 bits", [&](Bytes& b) { b[416] = 12; }, "differ"},
        {"strip byte count", [&](Bytes& b) { put32(b, field(279), 89); }, "strip is shorter"},
        {"description offset",
         [&](Bytes& b) { put32(b, field(270), static_cast<std::uint32_t>(b.size() - 5)); },
         "outside the file"},
        {"description count", [&](Bytes& b) { put32(b, field(270) - 4, 0xFFFFFFFF); },
         "outside the file"},
        {"profile offset", [&](Bytes& b) { put32(b, field(34675), 0xFFFFFFF0); },
         "outside the file"},
        {"EXIF offset", [&](Bytes& b) { put32(b, field(34665), 0x7FFFFFFF); }, "directory"},
        {"text of another type", [&](Bytes& b) { b[field(271) - 6] = 3; }, "not a text"},
        {"width of unknown type", [&](Bytes& b) { b[field(256) - 6] = 99; }, "whole number"},
        {"no width", [&](Bytes& b) { put32(b, field(256), 0); }, "no width"},
        {"too large to count",
         [&](Bytes& b) {
             put32(b, field(256), 0xFFFFFFFF);
             put32(b, field(257), 0xFFFFFFFF);
             put32(b, field(278), 0xFFFFFFFF);
         },
         "too large"},
        {"600 MB claimed by a small file",
         [&](Bytes& b) {
             put32(b, field(256), 10000);
             put32(b, field(257), 10000);
             put32(b, field(278), 10000);
             put32(b, field(279), 600000000);
         },
         "shorter than the image"},
        {"strip beyond the end", [&](Bytes& b) { put32(b, field(273), 0xFFFFFFF0); },
         "shorter than the image"},
    };
    for (const Case& c : cases) {
        Bytes file = good;
        c.spoil(file);
        const ReadResult read = ReadTiff(file);
        EXPECT_FALSE(read.ok) << c.what;
        EXPECT_NE(read.error.find(c.reason), std::string::npos) << c.what << ": " << read.error;
    }
}

TEST(TiffReaderTest, ReadsThroughTheFileItNames)
{
    const TempDir folder;
    const TIFFDescription d = DngDescription();
    const Bytes pixels = TestPixels(d);
    WriteFile(folder.Path() / "a.dng", WriteTiff(d, pixels));

    TIFFFile file(folder.Path() / "a.dng");
    ASSERT_TRUE(file.ReadDescription()) << file.Error();
    EXPECT_EQ(file.Description().width, d.width);
    Bytes read;
    ASSERT_TRUE(file.ReadImage(read)) << file.Error();
    EXPECT_EQ(read, pixels);

    TIFFFile missing(folder.Path() / "b.tif");
    EXPECT_FALSE(missing.ReadDescription());
    EXPECT_FALSE(missing.Error().empty());
    TIFFFile folderItself(folder.Path());
    EXPECT_FALSE(folderItself.ReadDescription());
}

// Files written by libtiff in the layouts our writer does not produce itself.
class TiffReaderLibTiffFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tiffcp = FindProgram("tiffcp");
        if (tiffcp.empty())
            GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
        WriteFile(source, WriteTiff(description, pixels));
    }

    // The source file copied by tiffcp with `options`.
    Bytes Copy(const std::vector<std::string>& options)
    {
        std::vector<std::string> argv = {tiffcp};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(source.string());
        argv.push_back(copy.string());
        const ProcessResult result = RunProcess(argv);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return ReadFile(copy);
    }

    std::string tiffcp;
    TempDir folder;
    fs::path source = folder.Path() / "source.tif";
    fs::path copy = folder.Path() / "copy.tif";
    TIFFDescription description = FullDescription();
    Bytes pixels = TestPixels(description);
};

TEST_F(TiffReaderLibTiffFilesTest, ReadsBigEndianAndBigTiffFiles)
{
    const std::vector<std::pair<std::vector<std::string>, std::uint16_t>> variants = {
        {{"-B", "-r", "3"}, TIFFDescription::kBigEndian},
        {{"-8", "-r", "3"}, TIFFDescription::kLittleEndian},
        {{"-8", "-B", "-r", "3"}, TIFFDescription::kBigEndian},
    };
    for (const auto& [options, byteOrder] : variants) {
        SCOPED_TRACE(options.front() + " " + options[1]);
        const ReadResult read = ReadTiff(Copy(options));
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(read.description.byteOrder, byteOrder);
        EXPECT_EQ(read.description.width, description.width);
        EXPECT_EQ(read.description.make, description.make);
        EXPECT_EQ(read.description.iccProfile, description.iccProfile);
        EXPECT_EQ(read.pixels, pixels) << "16-bit samples come back little-endian";
    }
}

TEST_F(TiffReaderLibTiffFilesTest, RefusesStripsAndCompression)
{
    ReadResult read = ReadTiff(Copy({"-r", "1"}));
    EXPECT_FALSE(read.ok);
    EXPECT_NE(read.error.find("several strips"), std::string::npos) << read.error;
    read = ReadTiff(Copy({"-c", "lzw", "-r", "3"}));
    EXPECT_FALSE(read.ok);
    EXPECT_NE(read.error.find("compressed"), std::string::npos) << read.error;
    read = ReadTiff(Copy({"-t"}));
    EXPECT_FALSE(read.ok);
    EXPECT_NE(read.error.find("tiles"), std::string::npos) << read.error;
}

}  // namespace
}  // namespace scanora::test
