// Our files as readers we did not write see them: libtiff (its tools and the library), exiftool
// and LibRaw. Each test skips when its reader is not installed.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "LibTiff.h"
#include "TiffTestSupport.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint16_t> kTiffTags = {254, 256, 257, 258, 259,   262,  270, 271,
                                              272, 273, 274, 277, 278,   279,  282, 283,
                                              284, 296, 305, 306, 34665, 34675};
const std::vector<std::uint16_t> kDngTags = {
    254,   256,   257,   258,   259,   262,   270,   271,   272,   273,   274,
    277,   278,   279,   282,   283,   284,   296,   305,   306,   34665, 50706,
    50707, 50708, 50721, 50722, 50727, 50728, 50735, 50741, 50778, 50779};
const std::vector<std::uint16_t> kExifTags = {33434, 34855, 36864, 36867, 36868, 37377,
                                              37500, 37510, 40960, 40961, 41495};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class TiffExternalReadersTest : public ::testing::Test {
protected:
    // Writes `d` with its test pixels into the test's folder.
    fs::path Write(const std::string& name, const TIFFDescription& d)
    {
        const fs::path path = folder.Path() / name;
        WriteFile(path, WriteTiff(d, TestPixels(d)));
        return path;
    }

    TempDir folder;
};

TEST_F(TiffExternalReadersTest, LibtiffToolsListExactlyTheDocumentedTags)
{
    const std::string tiffdump = FindProgram("tiffdump");
    const std::string tiffinfo = FindProgram("tiffinfo");
    if (tiffdump.empty() || tiffinfo.empty())
        GTEST_SKIP() << "tiffdump and tiffinfo (libtiff-tools) are not installed";
    // "Name (tag) TYPE (n) count<values>", or "tag (0xhex) TYPE ..." for tags it has no name for.
    const std::regex entry(
        R"(^(?:[^(]*\((\d+)\)|(\d+) \(0x[0-9a-fA-F]+\)) [A-Z0-9]+ \(\d+\) \d+<)");
    const std::vector<std::pair<TIFFDescription, std::vector<std::uint16_t>>> files = {
        {FullDescription(), kTiffTags}, {DngDescription(), kDngTags}};
    for (const auto& [description, expected] : files) {
        const fs::path path = Write(description.isDng ? "a.dng" : "a.tif", description);
        const ProcessResult dump = RunProcess({tiffdump, path.string()});
        ASSERT_EQ(dump.exitCode, 0) << dump.err;
        std::vector<std::uint16_t> tags;
        for (const std::string& line : Lines(dump.out)) {
            std::smatch match;
            if (std::regex_search(line, match, entry))
                tags.push_back(static_cast<std::uint16_t>(
                    std::stoi(match[1].matched ? match[1].str() : match[2].str())));
        }
        EXPECT_EQ(tags, expected) << dump.out;

        const ProcessResult info = RunProcess({tiffinfo, path.string()});
        EXPECT_EQ(info.exitCode, 0);
        EXPECT_EQ(info.err, "") << "libtiff warns about " << path;
        EXPECT_NE(info.out.find("Rows/Strip: " + std::to_string(description.height)),
                  std::string::npos)
            << info.out;
    }
}

TEST_F(TiffExternalReadersTest, LibtiffReadsTheSamePixels)
{
    const std::unique_ptr<LibTiff> libtiff = LibTiff::Load();
    if (!libtiff)
        GTEST_SKIP() << "libtiff is not installed";
    TIFFDescription rawDepth = FullDescription();
    rawDepth.bitsPerSample = 14;
    for (const TIFFDescription& d :
         {FullDescription(), DngDescription(), GrayDescription(), rawDepth}) {
        const LibTiff::Image image = libtiff->Read(Write("p.tif", d));
        ASSERT_TRUE(image.opened);
        EXPECT_TRUE(image.messages.empty()) << image.messages.front();
        EXPECT_FALSE(image.bigTiff);
        EXPECT_EQ(image.width, d.width);
        EXPECT_EQ(image.height, d.height);
        EXPECT_EQ(image.samplesPerPixel, d.samplesPerPixel);
        EXPECT_EQ(image.bitsPerSample, d.BytesPerSample() * 8);
        EXPECT_EQ(image.rows, TestPixels(d));
    }
}

TEST_F(TiffExternalReadersTest, ExiftoolFindsTheExifValues)
{
    const std::string exiftool = FindProgram("exiftool");
    if (exiftool.empty())
        GTEST_SKIP() << "exiftool is not installed";
    const fs::path path = Write("scan.tif", FullDescription());
    const ProcessResult values =
        RunProcess({exiftool, "-s", "-ExposureTime", "-ISO", "-DateTimeOriginal", "-UserComment",
                    "-ShutterSpeedValue", "-ProfileCopyright", path.string()});
    ASSERT_EQ(values.exitCode, 0) << values.err;
    EXPECT_EQ(values.out,
              "ExposureTime                    : 1/125\n"
              "ISO                             : 200\n"
              "DateTimeOriginal                : 2024:05:06 07:08:09\n"
              "UserComment                     : Window light, f/11\n"
              "ShutterSpeedValue               : 1/125\n"
              "ProfileCopyright                : Qorvane!\n");

    const ProcessResult makerNote = RunProcess({exiftool, "-b", "-MakerNotes", path.string()});
    EXPECT_EQ(makerNote.out.size(), 512u);
    EXPECT_EQ(makerNote.out.substr(192, 23), "Header block of scan 12");

    // The EXIF directory, tag by tag, and nothing to warn about beyond our private maker note.
    const ProcessResult verbose = RunProcess({exiftool, "-v2", path.string()});
    const std::regex exifEntry(R"(^  \| \|     - Tag 0x([0-9a-f]{4}) )");
    std::vector<std::uint16_t> tags;
    for (const std::string& line : Lines(verbose.out)) {
        std::smatch match;
        if (std::regex_search(line, match, exifEntry))
            tags.push_back(static_cast<std::uint16_t>(std::stoi(match[1].str(), nullptr, 16)));
        if (line.find("Warning") != std::string::npos) {
            EXPECT_NE(line.find("Unrecognized MakerNotes"), std::string::npos) << line;
        }
    }
    EXPECT_EQ(tags, kExifTags);
    EXPECT_EQ(verbose.err, "");
}

TEST_F(TiffExternalReadersTest, LibRawOpensTheDng)
{
    const std::string rawIdentify = FindProgram("raw-identify");
    if (rawIdentify.empty())
        GTEST_SKIP() << "raw-identify (libraw-bin) is not installed";
    // LibRaw takes no image smaller than 22 pixels either way.
    const fs::path path = Write("scan.dng", DngDescription(64, 40));
    const ProcessResult identify = RunProcess({rawIdentify, "-v", path.string()});
    ASSERT_EQ(identify.exitCode, 0) << identify.out << identify.err;
    EXPECT_TRUE(std::regex_search(identify.out, std::regex(R"(Image size: +64 x 40)")))
        << identify.out;
    EXPECT_NE(identify.out.find("UniqueCameraModel: =Qorvane QV-612="), std::string::npos);
    EXPECT_NE(identify.out.find("DNG Illuminant 1: Illuminant A"), std::string::npos);
    EXPECT_NE(identify.out.find("ISO speed: 200"), std::string::npos);
    EXPECT_NE(identify.out.find("Shutter: 1/125.0"), std::string::npos);
}

}  // namespace
}  // namespace scanora::test
