#include "output/TiffLayout.h"

#include <gtest/gtest.h>

#include <limits>

#include "TiffTestSupport.h"

namespace scanora::test {
namespace {

using tiff::Type;

constexpr std::uint16_t kShort = static_cast<std::uint16_t>(Type::Short);
constexpr std::uint16_t kAscii = static_cast<std::uint16_t>(Type::Ascii);

// The offsets below are worked out by hand from the layout rules, not taken from the writer:
// IFD0 with 22 entries (2 + 22 * 12 + 4 = 270 bytes) at 8, the EXIF directory with 11 entries
// (138 bytes) at 278, then the blocks from 416 on, each odd one followed by a pad byte.
TEST(TiffLayoutTest, FullFileFollowsTheDocumentedLayout)
{
    const TIFFDescription d = FullDescription();
    const Bytes pixels = TestPixels(d);
    const Bytes file = WriteTiff(d, pixels);

    EXPECT_EQ(TextAt(file, 0, 4), std::string("II\x2a\0", 4));
    EXPECT_EQ(Le32(file, 4), 8u);

    const Directory ifd0 = ReadDirectoryAt(file, 8);
    const std::vector<std::uint16_t> ifd0Tags = {254, 256, 257, 258, 259,   262,  270, 271,
                                                 272, 273, 274, 277, 278,   279,  282, 283,
                                                 284, 296, 305, 306, 34665, 34675};
    EXPECT_EQ(ifd0.tags, ifd0Tags);
    EXPECT_EQ(ifd0.next, 0u);
    ASSERT_EQ(ifd0.end, 278u);
    EXPECT_EQ(ifd0.entries.at(34665).value, 278u) << "the EXIF directory follows IFD0";

    const Directory exif = ReadDirectoryAt(file, 278);
    const std::vector<std::uint16_t> exifTags = {33434, 34855, 36864, 36867, 36868, 37377,
                                                 37500, 37510, 40960, 40961, 41495};
    EXPECT_EQ(exif.tags, exifTags);
    EXPECT_EQ(exif.end, 416u);

    // Bits-per-sample array, resolution, description area, ICC profile (+1 pad), date,
    // software, make, model (+1 pad), exposure, shutter speed, maker note, comment (+1 pad).
    const auto& e = ifd0.entries;
    EXPECT_EQ(e.at(258).value, 416u);
    EXPECT_EQ(Le16(file, 416), 16);
    EXPECT_EQ(Le16(file, 420), 16);
    EXPECT_EQ(e.at(282).value, 422u);
    EXPECT_EQ(e.at(283).value, 422u) << "both resolutions share one rational";
    EXPECT_EQ(Le32(file, 422), 3000000u);
    EXPECT_EQ(Le32(file, 426), 10000u);
    EXPECT_EQ(e.at(270).value, 430u);
    EXPECT_EQ(e.at(270).count, 13u);
    EXPECT_EQ(TextAt(file, 430, 13), std::string("Untitled_pre\0", 13));
    EXPECT_EQ(e.at(34675).value, 686u);
    EXPECT_EQ(e.at(34675).count, 161u) << "the profile's own length, without the pad";
    EXPECT_EQ(file[847], 0) << "pad byte after the odd profile";
    EXPECT_EQ(e.at(306).value, 848u);
    EXPECT_EQ(e.at(306).count, 20u);
    EXPECT_EQ(e.at(305).value, 868u);
    EXPECT_EQ(e.at(271).value, 890u);
    EXPECT_EQ(e.at(272).value, 898u);
    EXPECT_EQ(e.at(272).count, 7u);
    EXPECT_EQ(exif.entries.at(33434).value, 906u);
    EXPECT_EQ(Le32(file, 906), 1u);
    EXPECT_EQ(Le32(file, 910), 125u);
    EXPECT_EQ(exif.entries.at(37377).value, 914u);
    EXPECT_EQ(static_cast<std::int32_t>(Le32(file, 914)), 6965784) << "log2(125) * 1000000";
    EXPECT_EQ(Le32(file, 918), 1000000u);
    EXPECT_EQ(exif.entries.at(37500).value, 922u);
    EXPECT_EQ(exif.entries.at(37500).count, 512u);
    EXPECT_EQ(exif.entries.at(37510).value, 1434u);
    EXPECT_EQ(exif.entries.at(37510).count, 27u) << "8-byte code, 18 characters and the NUL";
    EXPECT_EQ(TextAt(file, 1434, 27), std::string("ASCII\0\0\0Window light, f/11\0", 27));
    EXPECT_EQ(exif.entries.at(36867).value, 848u);
    EXPECT_EQ(exif.entries.at(36868).value, 848u);
    EXPECT_EQ(TextAt(file, exif.entries.at(36864).fieldAt, 4), "0220");
    EXPECT_EQ(TextAt(file, exif.entries.at(40960).fieldAt, 4), "0010");
    EXPECT_EQ(exif.entries.at(40961).value, 65535u);
    EXPECT_EQ(exif.entries.at(41495).value, 7u);
    EXPECT_EQ(exif.entries.at(34855).value, 200u);

    EXPECT_EQ(e.at(273).value, 1462u);
    EXPECT_EQ(e.at(279).value, 90u);
    EXPECT_EQ(e.at(278).value, 3u) << "one strip holds every row";
    ASSERT_EQ(file.size(), 1462u + 90u);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), file.begin() + 1462));
}

// One channel and no optional metadata: 15 entries (194 bytes of directory), the bits array
// that nothing points to, the resolution, then the pixels.
TEST(TiffLayoutTest, PlainOneChannelFileIsTheShortestLayout)
{
    const TIFFDescription d = GrayDescription();
    const Bytes file = WriteTiff(d, TestPixels(d));
    const Directory ifd0 = ReadDirectoryAt(file, 8);
    EXPECT_EQ(ifd0.tags, (std::vector<std::uint16_t>{254, 256, 257, 258, 259, 262, 273, 274, 277,
                                                     278, 279, 282, 283, 284, 296}));
    const DirectoryEntry& bits = ifd0.entries.at(258);
    EXPECT_EQ(bits.count, 1u);
    EXPECT_EQ(bits.value, 8u) << "one sample's depth sits in the entry itself";
    EXPECT_EQ(Le16(file, 194), 8) << "the bits array is written all the same";
    EXPECT_EQ(ifd0.entries.at(282).value, 200u);
    EXPECT_EQ(ifd0.entries.at(273).value, 208u);
    EXPECT_EQ(file.size(), 208u + 24u);
}

TEST(TiffLayoutTest, OrientationZeroLeavesTheEntryOut)
{
    TIFFDescription d = GrayDescription();
    d.orientation = 0;
    const Directory ifd0 = ReadDirectoryAt(WriteTiff(d, TestPixels(d)), 8);
    EXPECT_EQ(ifd0.entries.count(274), 0u);
    EXPECT_EQ(ifd0.entries.at(273).value, 196u) << "12 bytes of entry fewer";
}

TEST(TiffLayoutTest, DescriptionFillsAFixedAreaOf256Bytes)
{
    TIFFDescription d = GrayDescription();
    d.description = std::string(255, 'n');
    Bytes file = WriteTiff(d, TestPixels(d));
    Directory ifd0 = ReadDirectoryAt(file, 8);
    EXPECT_EQ(ifd0.entries.at(270).count, 256u);
    EXPECT_EQ(file[ifd0.entries.at(270).value + 255], 0);
    EXPECT_EQ(ifd0.entries.at(273).value, 12u + 208u + 256u);

    // Longer texts are cut to what the area holds instead of running over the next block.
    d.description = std::string(300, 'n');
    file = WriteTiff(d, TestPixels(d));
    ifd0 = ReadDirectoryAt(file, 8);
    EXPECT_EQ(ifd0.entries.at(270).count, 256u);
    EXPECT_EQ(ifd0.entries.at(273).value, 12u + 208u + 256u);
    EXPECT_EQ(Le32(file, ifd0.entries.at(282).value), 3000000u) << "the resolution is intact";

    d.description = "short";
    file = WriteTiff(d, TestPixels(d));
    ifd0 = ReadDirectoryAt(file, 8);
    EXPECT_EQ(ifd0.entries.at(270).count, 6u);
    EXPECT_EQ(TextAt(file, ifd0.entries.at(270).value, 256), "short" + std::string(251, '\0'));
}

// TIFF readers take a value of four bytes or fewer from the entry itself, never from an offset.
TEST(TiffLayoutTest, TextsOfThreeCharactersOrFewerSitInTheirEntry)
{
    TIFFDescription d = GrayDescription();
    d.make = "QV";
    d.model = "Qorvane QV-612";
    const Bytes file = WriteTiff(d, TestPixels(d));
    const Directory ifd0 = ReadDirectoryAt(file, 8);
    const DirectoryEntry& make = ifd0.entries.at(271);
    EXPECT_EQ(make.type, kAscii);
    EXPECT_EQ(make.count, 3u);
    EXPECT_EQ(TextAt(file, make.fieldAt, 4), std::string("QV\0\0", 4));
    // The rest of the layout stays as it is: the make's block keeps its place.
    EXPECT_EQ(ifd0.entries.at(272).value, 218u + 6 + 8 + 4);
}

TEST(TiffLayoutTest, DateIsAlwaysNineteenCharactersAndItsNul)
{
    TIFFDescription d = GrayDescription();
    d.dateTime = "2024:05:06";
    Bytes file = WriteTiff(d, TestPixels(d));
    Directory ifd0 = ReadDirectoryAt(file, 8);
    EXPECT_EQ(TextAt(file, ifd0.entries.at(306).value, 20),
              std::string("2024:05:06         \0", 20));

    d.dateTime = "2024:05:06 07:08:09.123";
    file = WriteTiff(d, TestPixels(d));
    ifd0 = ReadDirectoryAt(file, 8);
    EXPECT_EQ(TextAt(file, ifd0.entries.at(306).value, 20),
              std::string("2024:05:06 07:08:09\0", 20));
    EXPECT_EQ(ifd0.entries.at(273).value, ifd0.entries.at(306).value + 20);
}

TEST(TiffLayoutTest, ExifEntriesFollowWhatIsKnown)
{
    TIFFDescription d = GrayDescription();
    d.hasExif = true;
    d.isoSpeed = 400;
    Bytes file = WriteTiff(d, TestPixels(d));
    Directory exif = ReadDirectoryAt(file, ReadDirectoryAt(file, 8).entries.at(34665).value);
    EXPECT_EQ(exif.tags, (std::vector<std::uint16_t>{34855, 36864, 37500, 40960, 40961, 41495}));
    EXPECT_EQ(exif.entries.at(37500).count, 0u) << "the maker note entry is always there";

    // Raw comment bytes are stored as given and win over a text.
    d.rawUserComment = {'U', 'N', 'I', 'C', 'O', 'D', 'E', 0, 'h', 0};
    d.userComment = "ignored";
    file = WriteTiff(d, TestPixels(d));
    exif = ReadDirectoryAt(file, ReadDirectoryAt(file, 8).entries.at(34665).value);
    EXPECT_EQ(exif.entries.at(37510).count, 10u);
    EXPECT_EQ(TextAt(file, exif.entries.at(37510).value, 10), std::string("UNICODE\0h\0", 10));

    // An empty text gives no entry (its 9-byte block is still laid out).
    d.rawUserComment.clear();
    d.userComment = "";
    file = WriteTiff(d, TestPixels(d));
    const Directory ifd0 = ReadDirectoryAt(file, 8);
    exif = ReadDirectoryAt(file, ifd0.entries.at(34665).value);
    EXPECT_EQ(exif.entries.count(37510), 0u);
    EXPECT_EQ(ifd0.entries.at(273).value, exif.end + 6 + 8 + 10);
}

TEST(TiffLayoutTest, DngCarriesItsCalibration)
{
    const TIFFDescription d = DngDescription();
    const Bytes file = WriteTiff(d, TestPixels(d));
    const Directory ifd0 = ReadDirectoryAt(file, 8);
    const auto& e = ifd0.entries;
    EXPECT_EQ(e.at(262).value, 34892u);
    EXPECT_EQ(TextAt(file, e.at(50706).fieldAt, 4), std::string("\1\1\0\0", 4));
    EXPECT_EQ(TextAt(file, e.at(50707).fieldAt, 4), std::string("\1\0\0\0", 4));
    EXPECT_EQ(TextAt(file, e.at(50708).value, e.at(50708).count),
              std::string("Qorvane QV-612\0", 15));
    EXPECT_EQ(e.at(50721).count, 9u);
    EXPECT_EQ(static_cast<std::int32_t>(Le32(file, e.at(50721).value)), 2642400);
    EXPECT_EQ(static_cast<std::int32_t>(Le32(file, e.at(50721).value + 8)), -1698724);
    EXPECT_EQ(Le32(file, e.at(50721).value + 12), 1000000u);
    EXPECT_EQ(static_cast<std::int32_t>(Le32(file, e.at(50722).value + 64)), 834843);
    EXPECT_EQ(Le32(file, e.at(50727).value), 12500u);
    EXPECT_EQ(Le32(file, e.at(50727).value + 4), 10000u);
    EXPECT_EQ(Le32(file, e.at(50727).value + 16), 15000u);
    EXPECT_EQ(Le32(file, e.at(50728).value), 10000u);
    EXPECT_EQ(TextAt(file, e.at(50735).value, e.at(50735).count), std::string("40213\0", 6));
    EXPECT_EQ(e.at(50778).value, 17u);
    EXPECT_EQ(e.at(50779).value, 22u);
    // The blocks: matrix 1 and 2 follow the camera model, then the balances, then the serial.
    EXPECT_EQ(e.at(50722).value, e.at(50721).value + 72);
    EXPECT_EQ(e.at(50727).value, e.at(50722).value + 72);
    EXPECT_EQ(e.at(50728).value, e.at(50727).value + 24);
    EXPECT_EQ(e.at(50735).value, e.at(50728).value + 24);
    EXPECT_EQ(e.at(306).value, e.at(50735).value + 6);
}

TEST(TiffLayoutTest, DngWithoutColourMatricesKeepsItsOtherEntries)
{
    TIFFDescription d = DngDescription();
    d.illuminant1 = d.illuminant2 = 0;
    d.uniqueCameraModel.reset();
    d.cameraSerialNumber.reset();
    d.samplesPerPixel = 1;
    const Bytes file = WriteTiff(d, TestPixels(d));
    const Directory ifd0 = ReadDirectoryAt(file, 8);
    for (std::uint16_t tag : {50721, 50722, 50778, 50779})
        EXPECT_EQ(ifd0.entries.count(tag), 0u) << tag;
    EXPECT_EQ(ifd0.entries.at(50727).count, 1u) << "one balance per sample";
    EXPECT_EQ(ifd0.entries.at(50728).count, 1u);
    EXPECT_EQ(ifd0.entries.at(50741).type, kShort);
    // Without names, a DNG still names its camera and serial number: with empty texts.
    for (std::uint16_t tag : {50708, 50735}) {
        EXPECT_EQ(ifd0.entries.at(tag).count, 1u) << tag;
        EXPECT_EQ(ifd0.entries.at(tag).value, 0u) << tag;
    }
}

TEST(TiffLayoutTest, MatchesTheGoldenFiles)
{
    // Regenerate with SCANORA_UPDATE_GOLDEN=1 (see ExpectMatchesGolden).
    const TIFFDescription full = FullDescription();
    ExpectMatchesGolden(WriteTiff(full, TestPixels(full)), "rgb16_exif.tif");
    const TIFFDescription dng = DngDescription();
    ExpectMatchesGolden(WriteTiff(dng, TestPixels(dng)), "rgb16.dng");
}

TEST(TiffLayoutTest, StripsEndingBeyond4GiBAreWrittenAsBigTiff)
{
    TIFFDescription d = GrayDescription(1, 1);
    const std::uint64_t head = TiffLayout::Plan(d)->StripOffset();
    d.width = static_cast<std::uint32_t>(std::numeric_limits<std::uint32_t>::max() - head);
    const std::optional<TiffLayout> largestClassic = TiffLayout::Plan(d);
    ASSERT_TRUE(largestClassic);
    EXPECT_FALSE(largestClassic->IsBigTiff());
    EXPECT_EQ(largestClassic->StripOffset(), head);

    d.width += 1;
    const std::optional<TiffLayout> big = TiffLayout::Plan(d);
    ASSERT_TRUE(big);
    EXPECT_TRUE(big->IsBigTiff());
    EXPECT_EQ(big->StripByteCount(), (std::uint64_t{1} << 32) - head);
    const Bytes header = big->Header(true);
    EXPECT_EQ(header, (Bytes{'I', 'I', 43, 0, 8, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0}));
    // 15 entries of 20 bytes; the bits array and the resolution fit into their entries, so no
    // block is needed at all.
    EXPECT_EQ(big->StripOffset(), 16u + 8 + 15 * 20 + 8);
    const Bytes head64 = big->Head(true);
    ASSERT_EQ(head64.size(), big->StripOffset());
    EXPECT_EQ(Le16(head64, 24 + 3 * 20), 258);
    EXPECT_EQ(Le16(head64, 24 + 3 * 20 + 12), 8) << "BitsPerSample in the entry";
}

// A camera's raw depth is stored in 16-bit samples; the file says 16 so that every reader
// steps through the samples correctly.
TEST(TiffLayoutTest, RawDepthsAreStoredAsSixteenBitSamples)
{
    TIFFDescription d = FullDescription();
    d.bitsPerSample = 14;
    const Bytes file = WriteTiff(d, TestPixels(d));
    const Directory ifd0 = ReadDirectoryAt(file, 8);
    EXPECT_EQ(Le16(file, ifd0.entries.at(258).value), 16);
    EXPECT_EQ(ifd0.entries.at(279).value, 5u * 3 * 3 * 2);
}

}  // namespace
}  // namespace scanora::test
