#include "camera/ParameterBlocks.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "camera/TablePlane.h"

namespace scanora {
namespace {

// The blocks spelled out field by field, independently of the builder.
std::string Hex4(long value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%.4X", static_cast<unsigned>(value) & 0xFFFF);
    return text;
}

std::string Sealed(std::string text)
{
    EXPECT_EQ(text.size(), 131u);
    unsigned sum = 0;
    for (const char c : text) sum += static_cast<unsigned char>(c);
    char tail[4];
    std::snprintf(tail, sizeof tail, "%2.2X", sum % 256);
    return text + tail + "\r";
}

std::string Padded(std::string text, std::size_t length)
{
    text.resize(length, ' ');
    return text;
}

const std::vector<CurveHandle> kFiveHandles = {
    {30, 3}, {80, 28}, {142, 106}, {194, 220}, {230, 255}};

// A plain prescan of the Model Cedar: colour, no stage, From Top.
CaptureBlockInputs Prescan()
{
    CaptureBlockInputs in;
    in.kind = CaptureKind::Prescan;
    in.captureTime1904 = 0x1B7A1C2D3;  // only the low 32 bits travel
    in.modelCode = 6;
    in.width = 667;
    in.lines = 888;
    in.pixelPitch = 900;
    in.sizeStep = 11;
    in.requestedLineTime = 100;
    in.minLineTime = 40;
    in.handles = kFiveHandles;
    in.orientation = 2;
    in.name = "Chart";
    return in;
}

TEST(ParameterBlocksTest, ChecksumOfAllZeroDigitsAndTheSealedLength)
{
    const std::string block = ParameterBlocks::Seal(std::string(131, '0'));
    ASSERT_EQ(block.size(), 134u);
    EXPECT_EQ(block.substr(131), "90\r");
}

TEST(ParameterBlocksTest, PrescanBlocksByteForByte)
{
    const CaptureBlockInputs in = Prescan();
    const std::string h00 =
        "H000000 D000 0000  B7A1 C2D3 0006  029B 0378 0000  0000 0000 03E8  "
        "000B 000B 006C  0064 0002 0000  0104 0104 0104  0005 1E03 501C  ";
    EXPECT_EQ(ParameterBlocks::BuildH00(in), Sealed(h00));
    const std::string h01 =
        "H01" + Hex4(142 * 256 + 106) + " " + Hex4(194 * 256 + 220) + " " + Hex4(230 * 256 + 255) +
        "  0000 0000 0000  0000 0000 0000  0000 0000 0000  " + Padded("Chart", 64);
    EXPECT_EQ(ParameterBlocks::BuildH01(in), Sealed(h01));
}

TEST(ParameterBlocksTest, ScanSingleChannelEightBitWithCropAndOddWidth)
{
    CaptureBlockInputs in = Prescan();
    in.kind = CaptureKind::Scan;
    in.width = 3001;   // made even
    in.lines = 70000;  // more than 16 bits
    in.offsetAcross = 1000;
    in.offsetAlong = 333;
    in.sizeStep = 4;
    in.tableMode = TableMode::Curve8Bit;
    in.colourMode = ColourMode::Green;
    in.requestedLineTime = 20;
    in.minLineTime = 45;  // the longer one is sent
    in.totalTenths = {30.103, 0.0, 127.9};
    in.negative = true;
    in.use16BitCurve = true;
    in.orientation = 1;
    const std::vector<CurveHandle> three = {{0, 0}, {128, 140}, {255, 255}};
    in.handles = three;
    const std::string h00 = "H000000 0000 0000  B7A1 C2D3 0006  0BB8 " + Hex4(70000 & 0xFFFF) +
                            " 0001  " + Hex4(900) + " " + Hex4(299) + " 03E8  0004 0004 0012  " +
                            "002D 0002 0000  " + Hex4(1027) + " " + Hex4(260) + " " + Hex4(3521) +
                            "  0003 0000 808C  ";
    EXPECT_EQ(ParameterBlocks::BuildH00(in), Sealed(h00));
    const std::string h01 =
        "H01FFFF 0000 0000  0000 0000 0035  0000 0000 0000  0000 0000 0000  " + Padded("Chart", 64);
    EXPECT_EQ(ParameterBlocks::BuildH01(in), Sealed(h01));
}

TEST(ParameterBlocksTest, RotatingStageAndFormatCodes)
{
    CaptureBlockInputs in = Prescan();
    in.kind = CaptureKind::Scan;
    in.rotatingStage = true;
    in.offsetAcross = 10;
    in.offsetAlong = 500;  // not sent with the stage
    in.stageFocalTenths = 350;
    in.totalTenths = {-3.0, 0.0, 0.0};  // negative totals go below unity gain
    const std::string h00 = ParameterBlocks::BuildH00(in);
    EXPECT_EQ(h00.substr(3, 16), "0000 0P00 0000  ");
    EXPECT_EQ(h00.substr(51, 16), "0009 0000 015E  ");
    EXPECT_EQ(h00.substr(99, 5), Hex4(183) + " ");

    in.colourMode = ColourMode::Colour;
    EXPECT_EQ(ParameterBlocks::FormatCode(in), 0x6C);
    in.tableMode = TableMode::Curve8Bit;
    EXPECT_EQ(ParameterBlocks::FormatCode(in), 0x3C);
    in.colourMode = ColourMode::Blue;
    EXPECT_EQ(ParameterBlocks::FormatCode(in), 0x13);
    in.tableMode = TableMode::Curve16Bit;
    EXPECT_EQ(ParameterBlocks::FormatCode(in), 0x23);
    in.kind = CaptureKind::Prescan;
    EXPECT_EQ(ParameterBlocks::FormatCode(in), 0x6C);

    for (const auto& [orientation, bits] :
         std::vector<std::pair<int, int>>{{1, 0x30}, {2, 0}, {3, 0x20}, {4, 0x10}}) {
        in.orientation = orientation;
        EXPECT_EQ(ParameterBlocks::OutputFlags(in), bits);
    }
}

TEST(ParameterBlocksTest, ImageNameIsPaddedCutAndCleaned)
{
    CaptureBlockInputs in = Prescan();
    in.name = "";
    EXPECT_EQ(ParameterBlocks::BuildH01(in).substr(67, 64), Padded("Untitled", 64));
    const std::string longName(80, 'n');
    in.name = longName;
    EXPECT_EQ(ParameterBlocks::BuildH01(in).substr(67, 64), std::string(64, 'n'));
    in.name = "a\rb\tc";
    EXPECT_EQ(ParameterBlocks::ImageName(in.name), "a b c");
}

TEST(ParameterBlocksTest, NamesAndNotesTravelInTheCamerasCharacterSet)
{
    // The camera reads its names as Windows-1252: one byte a character, so 64 of them fit.
    std::string accented;
    for (int i = 0; i < 70; ++i) accented += "\u00E9";
    EXPECT_EQ(ParameterBlocks::ImageName(accented), std::string(64, '\xE9'));
    EXPECT_EQ(ParameterBlocks::ImageName("Caf\u00E9 \u20AC \u65E5"), "Caf\xE9 \x80 ?");
    // A C1 control is no character of the camera's; a name already in its bytes stays.
    EXPECT_EQ(ParameterBlocks::ImageName("a\u0085b"), "a?b");
    EXPECT_EQ(ParameterBlocks::ImageName("Caf\xE9"), "Caf\xE9");
    CaptureBlockInputs in = Prescan();
    in.name = "Caf\u00E9";
    EXPECT_EQ(ParameterBlocks::BuildH01(in).substr(67, 64), Padded("Caf\xE9", 64));

    const std::string description(250, 'd');
    EXPECT_EQ(ParameterBlocks::CombineTexts(description, "cr\u00E8me!"), description + "cr\xE8me");
}

TEST(ParameterBlocksTest, CombinedTextSplitsOverH02AndH03)
{
    std::string full;
    for (int i = 0; i < 255; ++i) full.push_back(static_cast<char>('A' + i % 26));
    std::string h02 = ParameterBlocks::BuildH02(full);
    EXPECT_EQ(static_cast<unsigned char>(h02[3]), 255);
    EXPECT_EQ(h02.substr(4, 127), full.substr(0, 127));
    EXPECT_EQ(ParameterBlocks::BuildH03(full), Sealed("H03" + full.substr(127)));

    const std::string hundred(100, 'x');
    h02 = ParameterBlocks::BuildH02(hundred);
    EXPECT_EQ(h02, Sealed("H02" + std::string(1, char(100)) + hundred + std::string(27, ' ')));
    EXPECT_EQ(ParameterBlocks::BuildH03(hundred), Sealed("H03" + std::string(128, ' ')));

    // The description comes first; the user's text fills what is left of 255.
    const std::string description(200, 'd');
    const std::string user(100, 'u');
    EXPECT_EQ(ParameterBlocks::CombineTexts(description, user), description + user.substr(0, 55));
}

TEST(ParameterBlocksTest, DescriptionText)
{
    CaptureBlockInputs in = Prescan();
    in.totalTenths = {118.7, 118.7, 118.7};  // a fast prescan's gains: not in the text
    DescriptionInputs d;
    d.totalTenths = {30.103, -6.0, 0.04};
    d.date = "2026-12-08";
    d.time = "05:35:00";
    d.outputWidth = 3000;
    d.outputHeight = 4000;
    d.sizeValueA = 12;
    d.sizeValueB = 34;
    d.sizePercent = 50;
    d.panelText = "Chart";
    d.lineTimeLabel = "1/30";
    EXPECT_EQ(ParameterBlocks::BuildDescription(in, d),
              "Chart, 2026-12-08, 05:35:00, 16C, 3000x4000,  (12+34), 50%, Chart, 1/30, "
              "R30.1, G-6.0, B0.0\r");
    in.tableMode = TableMode::Curve8Bit;
    in.colourMode = ColourMode::Red;
    in.rotatingStage = true;
    d.stageValueA = 35.0;
    d.stageValueB = 2.26;
    EXPECT_EQ(ParameterBlocks::BuildDescription(in, d).substr(29, 27),
              " 8R, 3000x4000,  (35.0/2.3)");

    const std::string longPanel(400, 'p');
    d.panelText = longPanel;
    const std::string cut = ParameterBlocks::BuildDescription(in, d);
    EXPECT_EQ(cut.size(), 255u);
    EXPECT_EQ(cut.back(), '\r');
}

TEST(ParameterBlocksTest, TableModes)
{
    EXPECT_EQ(BlockTableMode(true, false, true), TableMode::Linear);
    EXPECT_EQ(BlockTableMode(false, true, true), TableMode::Linear);
    EXPECT_EQ(BlockTableMode(false, false, true), TableMode::Curve16Bit);
    EXPECT_EQ(BlockTableMode(false, false, false), TableMode::Curve8Bit);
    EXPECT_EQ(ScanTableMode(true, false), TableMode::Linear);
    EXPECT_EQ(ScanTableMode(false, true), TableMode::Curve16Bit);
    EXPECT_EQ(ScanTableMode(false, false), TableMode::Curve8Bit);
}

TEST(TablePlaneTest, LanesRebuildTheLinearMapAndTheToneTable)
{
    std::vector<std::uint16_t> tone(16384);
    for (std::size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<std::uint16_t>(i * 7 + 3);
    std::array<std::array<std::uint8_t, TablePlane::kSize>, TablePlane::kCount> planes{};
    for (int p = 0; p < TablePlane::kCount; ++p)
        ASSERT_TRUE(TablePlane::Build(p, tone, planes[static_cast<std::size_t>(p)])) << p;
    for (std::size_t v = 0; v < 16384; ++v) {
        const std::size_t half = v / 8192;
        const std::size_t i = v % 8192;
        const unsigned linear = planes[1 + half][i] | planes[3 + half][i] << 8;
        const unsigned curve = planes[5 + half][i] | planes[7 + half][i] << 8;
        ASSERT_EQ(linear, 4 * v) << v;
        ASSERT_EQ(curve, tone[v]) << v;
    }
    EXPECT_EQ(planes[0][100], static_cast<std::uint8_t>(tone[100]));

    std::array<std::uint8_t, TablePlane::kSize> out{};
    EXPECT_FALSE(TablePlane::Build(9, tone, out));
    EXPECT_FALSE(TablePlane::Build(5, std::span(tone).first(8192), out));
    EXPECT_TRUE(TablePlane::Build(2, {}, out));
}

}  // namespace
}  // namespace scanora
