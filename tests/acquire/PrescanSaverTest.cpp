#include "acquire/PrescanSaver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "acquire/PreviewImage.h"
#include "acquire/PreviewLoader.h"
#include "imaging/ColorCorrectingToneCurve.h"
#include "output/LibTiff.h"
#include "output/TIFFFile.h"
#include "settings/CameraPreferences.h"
#include "support/RecordingUiPort.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::LibTiff;
using test::RecordingUiPort;
using test::TempDir;

constexpr PreviewGeometry kGeometry{5, 3, 0};  // P 5, L 3: every rotation is distinguishable

// Preview pixel (x, y) of colour c holds y * 1000 + x * 10 + c.
std::uint16_t Sample(int x, int y, int c)
{
    return static_cast<std::uint16_t>(y * 1000 + x * 10 + c);
}

// A preview filled with the pattern above, shown at `rotation`.
std::unique_ptr<PreviewImage> PatternPreview(int rotation)
{
    auto image = std::make_unique<PreviewImage>();
    EXPECT_TRUE(image->AllocatePreview(kGeometry));
    EXPECT_TRUE(image->SetRotation(0));
    const auto samples = image->Samples(false);
    for (int y = 0; y < kGeometry.height; ++y) {
        for (int x = 0; x < kGeometry.width; ++x) {
            for (int c = 0; c < 3; ++c)
                samples[static_cast<std::size_t>((y * kGeometry.width + x) * 3 + c)] =
                    Sample(x, y, c);
        }
    }
    EXPECT_TRUE(image->SetRotation(rotation));
    return image;
}

std::vector<std::uint16_t> PreviewRows(const PreviewImage& image)
{
    std::vector<std::uint16_t> all;
    std::vector<std::uint16_t> row(static_cast<std::size_t>(image.Width()) * 3);
    for (int y = 0; y < image.Height(); ++y) {
        EXPECT_TRUE(image.ReadPreviewRow(y, row));
        all.insert(all.end(), row.begin(), row.end());
    }
    return all;
}

std::vector<std::uint16_t> Words(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint16_t> words;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        words.push_back(static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return words;
}

class PrescanSaverTest : public ::testing::Test {
protected:
    PrescanSaveOptions RawOptions() const
    {
        PrescanSaveOptions options;
        options.samples = PrescanSamples::Raw;
        options.baseName = "Untitled_pre";
        options.modelName = "Q-Test";
        options.versionText = "1.0";
        return options;
    }
    TIFFDescription ReadBack(const std::filesystem::path& path)
    {
        TIFFFile file(path);
        EXPECT_TRUE(file.ReadDescription()) << file.Error();
        return file.Description();
    }

    TempDir dir_;
    RecordingUiPort ui_;
    PrescanSaver saver_{ui_};
    ColorCorrectingToneCurve curve_;
};

TEST_F(PrescanSaverTest, SavedPreviewLoadsBackUnchangedAtEveryRotation)
{
    const std::vector<std::uint16_t> expected = PreviewRows(*PatternPreview(0));
    for (const int saveRotation : {0, 90, 180, 270}) {
        const auto path = dir_.Path() / ("r" + std::to_string(saveRotation) + ".tif");
        ASSERT_TRUE(saver_.Save(*PatternPreview(saveRotation), RawOptions(), path));

        // The file holds the unrotated preview, as libtiff sees it too.
        TIFFFile file(path);
        std::vector<std::uint8_t> pixels;
        ASSERT_TRUE(file.ReadImage(pixels));
        EXPECT_EQ(file.Description().width, 5u) << saveRotation;
        EXPECT_EQ(file.Description().height, 3u) << saveRotation;
        EXPECT_EQ(file.Description().orientation, 1);
        EXPECT_EQ(Words(pixels), expected) << "saved at " << saveRotation;
        if (const auto libtiff = LibTiff::Load()) {
            const LibTiff::Image image = libtiff->Read(path);
            EXPECT_TRUE(image.messages.empty());
            EXPECT_EQ(image.bitsPerSample, 16);
            EXPECT_EQ(image.samplesPerPixel, 3);
            EXPECT_EQ(Words(image.rows), expected);
        }

        for (const int loadRotation : {0, 90, 180, 270}) {
            PreviewImage loaded;
            ASSERT_TRUE(loaded.AllocatePreview(kGeometry));
            ASSERT_TRUE(loaded.SetRotation(loadRotation));
            PreviewLoader loader(ui_);
            ASSERT_TRUE(loader.LoadPreview(path, kGeometry, loaded, curve_));
            EXPECT_EQ(loaded.Rotation(), loadRotation);
            EXPECT_EQ(PreviewRows(loaded), expected)
                << "saved at " << saveRotation << ", loaded at " << loadRotation;
            EXPECT_TRUE(loaded.DisplayValid());
        }
    }
    EXPECT_TRUE(ui_.Messages().empty());
}

TEST_F(PrescanSaverTest, CropStoresExactlyTheDisplayedPixelsAtEveryRotation)
{
    for (const int rotation : {0, 90, 180, 270}) {
        const auto image = PatternPreview(rotation);
        const PreviewRotation orientation = image->Orientation();
        // A rectangle away from every edge of the displayed image and not square.
        const ImageRect crop{1, 1, orientation.DisplayWidth() - 1, orientation.DisplayHeight()};
        PrescanSaveOptions options = RawOptions();
        options.crop = crop;
        const auto path = dir_.Path() / "crop.tif";
        ASSERT_TRUE(saver_.Save(*image, options, path));

        TIFFFile file(path);
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(file.ReadImage(bytes));
        const auto words = Words(bytes);
        const auto width = static_cast<int>(file.Description().width);
        const auto height = static_cast<int>(file.Description().height);
        ASSERT_EQ(width * height, crop.Width() * crop.Height()) << rotation;
        // Each stored pixel is a preview pixel shown inside the rectangle, rows increasing.
        int previousRow = -1;
        for (int j = 0; j < height; ++j) {
            const int y = words[static_cast<std::size_t>(j * width) * 3] / 1000;
            EXPECT_GT(y, previousRow);
            previousRow = y;
            for (int i = 0; i < width; ++i) {
                const std::uint16_t red = words[static_cast<std::size_t>(j * width + i) * 3];
                const ImagePoint shown = orientation.ToDisplay({(red % 1000) / 10, red / 1000});
                EXPECT_TRUE(shown.x >= crop.left && shown.x < crop.right && shown.y >= crop.top &&
                            shown.y < crop.bottom)
                    << "rotation " << rotation << " pixel " << i << "," << j;
            }
        }
    }
}

TEST_F(PrescanSaverTest, OneColourModeStoresThatChannelOnly)
{
    PrescanSaveOptions options = RawOptions();
    options.colorMode = CameraPreferences::kGreen;
    const auto path = dir_.Path() / "green.tif";
    ASSERT_TRUE(saver_.Save(*PatternPreview(90), options, path));
    TIFFFile file(path);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(file.ReadImage(bytes));
    EXPECT_EQ(file.Description().samplesPerPixel, 1);
    EXPECT_EQ(file.Description().photometric, 1);
    const auto words = Words(bytes);
    ASSERT_EQ(words.size(), 15u);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(words[static_cast<std::size_t>(y * 5 + x)], Sample(x, y, 1));
    }
    if (const auto libtiff = LibTiff::Load()) {
        const LibTiff::Image image = libtiff->Read(path);
        EXPECT_EQ(image.samplesPerPixel, 1);
        EXPECT_EQ(Words(image.rows), words);
    }
}

TEST_F(PrescanSaverTest, SixteenBitCurveMapsGainedSamplesThroughTheWordTable)
{
    curve_.SetChannelGains(2.0, 1.0, 0.5);
    PrescanSaveOptions options = RawOptions();
    options.samples = PrescanSamples::Curve16;
    options.curve = &curve_;
    const auto path = dir_.Path() / "curve.tif";
    ASSERT_TRUE(saver_.Save(*PatternPreview(180), options, path));

    QVToneCurve table = curve_;
    table.SetSixteenBit(true);
    table.SetRawBits(16);
    table.BuildRawTable();
    TIFFFile file(path);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(file.ReadImage(bytes));
    EXPECT_EQ(file.Description().bitsPerSample, 16);
    const auto words = Words(bytes);
    // Pixel (3, 2): red 2030 doubled, green 2031 kept, blue 2032 halved.
    const std::size_t at = (2 * 5 + 3) * 3;
    EXPECT_EQ(words[at], table.RawEntry(4060));
    EXPECT_EQ(words[at + 1], table.RawEntry(2031));
    EXPECT_EQ(words[at + 2], table.RawEntry(1016));
    EXPECT_GT(table.RawEntry(4060), table.RawEntry(2031));  // a word table, not bytes
}

TEST_F(PrescanSaverTest, DisplayPathWritesBytesWithFalseColour)
{
    auto image = PatternPreview(270);
    PrescanSaveOptions options = RawOptions();
    options.samples = PrescanSamples::Display8;
    EXPECT_FALSE(saver_.Save(*image, options, dir_.Path() / "stale.tif"));  // not converted yet
    image->ConvertAll(curve_);
    const auto plain = dir_.Path() / "display.tif";
    ASSERT_TRUE(saver_.Save(*image, options, plain));
    TIFFFile file(plain);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(file.ReadImage(bytes));
    EXPECT_EQ(file.Description().bitsPerSample, 8);
    ASSERT_EQ(bytes.size(), 45u);
    // Preview pixel (4, 0) is the display's pixel (0, 0) at 270 degrees.
    const auto display = image->DisplayCopy();
    EXPECT_EQ(bytes[4 * 3], display[0]);
    EXPECT_EQ(bytes[4 * 3 + 2], display[2]);

    options.falseColorByLevel.assign(256, -1);
    for (int level = 0; level < 256; ++level) {
        if (level >= bytes[0] && level <= bytes[0] + 1)
            options.falseColorByLevel[static_cast<std::size_t>(level)] = 0x30201;
    }
    const auto colored = dir_.Path() / "false.tif";
    ASSERT_TRUE(saver_.Save(*image, options, colored));
    TIFFFile falseFile(colored);
    std::vector<std::uint8_t> falseBytes;
    ASSERT_TRUE(falseFile.ReadImage(falseBytes));
    EXPECT_EQ(falseBytes[0], 1);
    EXPECT_EQ(falseBytes[1], 2);
    EXPECT_EQ(falseBytes[2], 3);
}

TEST_F(PrescanSaverTest, MetadataAndDescriptionChoices)
{
    PrescanSaveOptions options = RawOptions();
    options.descriptionType = CameraPreferences::kDescriptionNone;
    options.metricUnits = true;
    options.iccProfile = {1, 2, 3, 4, 5, 6, 7, 8};
    const auto none = dir_.Path() / "none.tif";
    ASSERT_TRUE(saver_.Save(*PatternPreview(0), options, none));
    const TIFFDescription d = ReadBack(none);
    EXPECT_FALSE(d.description.has_value());
    EXPECT_EQ(d.make, "Qorvane");
    EXPECT_EQ(d.model, "Q-Test");
    EXPECT_EQ(d.software, "Scanora Version 1.0");
    EXPECT_EQ(d.resolutionUnit, 3u);
    EXPECT_DOUBLE_EQ(d.xResolution, 300.0);
    EXPECT_EQ(d.iccProfile, options.iccProfile);
    ASSERT_TRUE(d.dateTime.has_value());
    EXPECT_EQ(d.dateTime->size(), 19u);
    EXPECT_EQ((*d.dateTime)[4], ':');
    EXPECT_FALSE(d.hasExif);

    options.descriptionType = CameraPreferences::kDescriptionFileName;
    options.metricUnits = false;
    options.iccProfile.clear();
    const auto named = dir_.Path() / "named.tif";
    ASSERT_TRUE(saver_.Save(*PatternPreview(0), options, named));
    const TIFFDescription n = ReadBack(named);
    EXPECT_EQ(n.description, "Untitled_pre");
    EXPECT_EQ(n.resolutionUnit, 2u);
    EXPECT_TRUE(n.iccProfile.empty());

    options.descriptionType = CameraPreferences::kDescriptionNotes;
    options.captureNotes = "Plate 4 north light";
    const auto notes = dir_.Path() / "notes.tif";
    ASSERT_TRUE(saver_.Save(*PatternPreview(0), options, notes));
    EXPECT_EQ(ReadBack(notes).description, "Plate 4 north light");
}

TEST_F(PrescanSaverTest, UnwritableFileIsReportedAndLeavesNothing)
{
    const auto path = dir_.Path() / "missing" / "x_pre.tif";
    EXPECT_FALSE(saver_.Save(*PatternPreview(0), RawOptions(), path));
    ASSERT_EQ(ui_.MessageTexts().size(), 1u);
    EXPECT_EQ(ui_.MessageTexts()[0], "Could Not Open File: " + path.string());
    EXPECT_FALSE(std::filesystem::exists(path));
}

// The Save command and the automatic save, with the program starts recorded.
class PrescanSaveCommandTest : public PrescanSaverTest {
protected:
    PrescanSaveCommandTest()
    {
        prefs_.openWithApplicationName = "gimp";
        prefs_.autoOpenPrescans = true;
        prefs_.savePrescansFolder = dir_.Path().string();
    }

    CameraPreferences prefs_;
    std::vector<std::pair<std::string, std::filesystem::path>> opened_;
    PrescanSaver command_{ui_,
                          [this](const std::string& program, const std::filesystem::path& file) {
                              opened_.emplace_back(program, file);
                              return true;
                          }};
};

TEST_F(PrescanSaveCommandTest, AutomaticSaveNamesTheFileAfterTheScanAndOpensIt)
{
    PrescanSaveOptions options = RawOptions();
    options.descriptionType = CameraPreferences::kDescriptionFileName;
    ASSERT_TRUE(command_.AutoSave(*PatternPreview(90), options, "Untitled", prefs_));
    const auto path = dir_.Path() / "Untitled_pre.tif";
    EXPECT_EQ(ReadBack(path).description, "Untitled_pre");
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0].first, "gimp");
    EXPECT_EQ(opened_[0].second, path);

    // A scan name with a path in it stays inside the folder.
    ASSERT_TRUE(command_.AutoSave(*PatternPreview(90), options, "../../etc/x", prefs_));
    EXPECT_TRUE(std::filesystem::exists(dir_.Path() / "NeedLegalFileName_pre.tif"));
    EXPECT_EQ(ui_.MessageTexts(),
              std::vector<std::string>{"Warning - the file name contained illegal characters"});

    prefs_.savePrescansFolder.clear();
    EXPECT_FALSE(command_.AutoSave(*PatternPreview(90), options, "Untitled", prefs_));
    EXPECT_EQ(opened_.size(), 2u);
}

TEST_F(PrescanSaveCommandTest, SaveCommandChecksCaptureAndExtension)
{
    const auto chosen = dir_.Path() / "chosen.TIFF";
    EXPECT_FALSE(
        command_.SaveChosen(*PatternPreview(0), RawOptions(), chosen, "Untitled", prefs_, true));
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Prescan/Scan in Progress"});
    EXPECT_FALSE(command_.SaveChosen(*PatternPreview(0), RawOptions(), dir_.Path() / "c.png",
                                     "Untitled", prefs_, false));
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "c.png"));
    EXPECT_TRUE(opened_.empty());

    prefs_.autoOpenPrescans = false;
    EXPECT_TRUE(
        command_.SaveChosen(*PatternPreview(0), RawOptions(), chosen, "Untitled", prefs_, false));
    EXPECT_TRUE(std::filesystem::exists(chosen));
    EXPECT_TRUE(opened_.empty());

    // No open-with after a failed write.
    prefs_.autoOpenPrescans = true;
    EXPECT_FALSE(command_.SaveChosen(*PatternPreview(0), RawOptions(),
                                     dir_.Path() / "none" / "x.tif", "Untitled", prefs_, false));
    EXPECT_TRUE(opened_.empty());
}

class PreviewLoaderTest : public PrescanSaverTest {};

TEST_F(PreviewLoaderTest, MissingOrUnreadableFileIsFalseWithoutMessage)
{
    PreviewImage image;
    PreviewLoader loader(ui_);
    EXPECT_FALSE(loader.LoadPreview(dir_.Path() / "PreviewPic.TIF", kGeometry, image, curve_));
    const auto junk = dir_.Path() / "junk.tif";
    std::ofstream(junk) << "not a tiff at all";
    EXPECT_FALSE(loader.LoadPreview(junk, kGeometry, image, curve_));
    EXPECT_TRUE(ui_.Messages().empty());
}

TEST_F(PreviewLoaderTest, OtherGeometryOrOneChannelIsNotCompatible)
{
    const auto path = dir_.Path() / "PreviewPic.TIF";
    ASSERT_TRUE(saver_.Save(*PatternPreview(0), RawOptions(), path));
    PreviewLoader loader(ui_);
    auto image = PatternPreview(90);
    const auto before = PreviewRows(*image);
    EXPECT_TRUE(loader.LoadPreview(path, PreviewGeometry{6, 3, 0}, *image, curve_));

    PrescanSaveOptions green = RawOptions();
    green.colorMode = CameraPreferences::kGreen;
    const auto greenPath = dir_.Path() / "green.tif";
    ASSERT_TRUE(saver_.Save(*PatternPreview(0), green, greenPath));
    EXPECT_TRUE(loader.LoadPreview(greenPath, kGeometry, *image, curve_));

    EXPECT_EQ(ui_.MessageTexts(),
              (std::vector<std::string>{
                  "The file " + path.string() + " is not a compatible preview.",
                  "The file " + greenPath.string() + " is not a compatible preview."}));
    EXPECT_EQ(ui_.Messages()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(PreviewRows(*image), before);
}

TEST_F(PreviewLoaderTest, EightBitFileIsWidenedAndBufferIsMadeWhenMissing)
{
    TIFFDescription d;
    d.width = 5;
    d.height = 3;
    d.bitsPerSample = 8;
    std::vector<std::uint8_t> pixels(45);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 5);
    const auto path = dir_.Path() / "eight.tif";
    TIFFFile file(path);
    ASSERT_TRUE(file.Open(d));
    ASSERT_TRUE(file.WriteData(pixels));
    ASSERT_TRUE(file.Close());

    PreviewImage image;  // no buffer yet
    PreviewLoader loader(ui_);
    ASSERT_TRUE(loader.LoadPreview(path, kGeometry, image, curve_));
    EXPECT_TRUE(ui_.Messages().empty());
    const auto rows = PreviewRows(image);
    ASSERT_EQ(rows.size(), 45u);
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i], pixels[i] * 257);
}

TEST_F(PreviewLoaderTest, NoBufferToBeHadIsReported)
{
    const auto path = dir_.Path() / "p.tif";
    ASSERT_TRUE(saver_.Save(*PatternPreview(0), RawOptions(), path));
    PreviewImage tiny(16);  // no buffer of the preview's size fits
    PreviewLoader loader(ui_);
    EXPECT_TRUE(loader.LoadPreview(path, kGeometry, tiny, curve_));
    EXPECT_EQ(ui_.MessageTexts(),
              std::vector<std::string>{"The file " + path.string() + " could not be read."});
}

}  // namespace
}  // namespace scanora
