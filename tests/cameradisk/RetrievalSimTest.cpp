#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>

#include <atomic>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "camera/ParameterBlocks.h"
#include "camera/QVCamera.h"
#include "camera/QVSCSI.h"
#include "camera/QVUSB.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/Retrieval.h"
#include "cameradisk/RetrievalFolderChooser.h"
#include "cameradisk/RetrievalProgress.h"
#include "cameradisk/RetrievalTransfer.h"
#include "cameradisk/ScanRetrieval.h"
#include "camsim/SceneRendering.h"
#include "camsim/SimCamera.h"
#include "camsim/SimConfig.h"
#include "camsim/SimDisk.h"
#include "imaging/QVToneCurve.h"
#include "output/TIFFFile.h"
#include "platform/SimulatorLink.h"
#include "support/ProcessRunner.h"
#include "support/RecordingUiPort.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

const std::vector<CurveHandle> kScanCurve = {{30, 3},    {80, 28},   {113, 56}, {142, 106},
                                             {194, 220}, {212, 245}, {230, 255}};
const std::vector<CurveHandle> kShortCurve = {
    {20, 0}, {90, 40}, {150, 130}, {200, 230}, {250, 255}};
const std::vector<CurveHandle> kPanelCurve = {{10, 0}, {100, 90}, {160, 170}, {240, 255}};

// One image put on the camera's disk as a finished scan leaves it.
struct DiskImage {
    std::string name;
    std::uint16_t format = camsim::CaptureRecipe::kColour16;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int sizeStep = 11;
    bool use16BitCurve = false;
    bool none14 = false;
    bool negative = false;
    std::vector<CurveHandle> handles = kScanCurve;
    int orientation = 2;
    std::string userNotes;
};

// Model 6 (largest size step 12): 16-bit colour with its curve and 16-bit output (over two
// blocks), 16-bit colour with a negative curve and 8-bit output, 16-bit colour without a
// curve, 8-bit colour, one green 8-bit channel, one red 16-bit channel.
const std::vector<DiskImage>& Images()
{
    static const std::vector<DiskImage> images = {
        {"Chart 16", 0x6C, 720, 760, 6, true, false, false, kScanCurve, 3, "first roll"},
        {"Negative 8", 0x6C, 300, 200, 9, false, false, true, kShortCurve, 2, ""},
        {"Raw 16", 0x6C, 320, 240, 11, true, true, false, kScanCurve, 2, ""},
        {"Chart 8", 0x3C, 400, 300, 8, false, false, false, kScanCurve, 1, ""},
        {"Green 8", 0x12, 256, 200, 10, false, false, false, kScanCurve, 2, ""},
        {"Red 16", 0x21, 300, 220, 10, true, false, false, kShortCurve, 4, "red only"},
    };
    return images;
}

constexpr std::uint32_t kFirstTime = 3'900'000'000u;  // seconds since 1904

camsim::CaptureRecipe Recipe(const DiskImage& image)
{
    camsim::CaptureRecipe recipe;
    recipe.geometry.model = 6;
    recipe.geometry.sizeStep = image.sizeStep;
    recipe.geometry.pixelsPerLine = image.width;
    recipe.geometry.lines = image.height;
    recipe.exposure.integration = 150;
    recipe.exposure.gainCodes = {300, 413, 500};
    recipe.format = image.format;
    return recipe;
}

// The header block: the four parameter block bodies as the host sent them.
std::array<std::uint8_t, 512> Header(const DiskImage& image)
{
    CaptureBlockInputs in;
    in.kind = CaptureKind::Scan;
    in.modelCode = 6;
    in.width = static_cast<int>(image.width);
    in.lines = image.height;
    in.pixelPitch = 900;
    in.sizeStep = image.sizeStep;
    in.requestedLineTime = 150;
    in.totalTenths = {1.6, 6.0, 9.4};
    in.handles = image.handles;
    in.use16BitCurve = image.use16BitCurve;
    in.none14 = image.none14;
    in.negative = image.negative;
    in.orientation = image.orientation;
    in.name = image.name;
    const std::string combined =
        ParameterBlocks::CombineTexts(image.name + ", notes of the capture\r", image.userNotes);
    const std::string blocks[] = {ParameterBlocks::BuildH00(in), ParameterBlocks::BuildH01(in),
                                  ParameterBlocks::BuildH02(combined),
                                  ParameterBlocks::BuildH03(combined)};
    std::array<std::uint8_t, 512> header{};
    for (std::size_t i = 0; i < 4; ++i)
        std::copy_n(blocks[i].begin() + 3, 128, header.begin() + 128 * static_cast<long>(i));
    return header;
}

void RecordImages(const std::filesystem::path& folder)
{
    camsim::SimDisk disk(folder.string());
    std::uint32_t time = kFirstTime;
    for (const DiskImage& image : Images()) {
        camsim::RecordedImage recorded;
        recorded.header = Header(image);
        recorded.recipe = Recipe(image);
        recorded.captureTime = time++;
        ASSERT_TRUE(disk.Record(recorded));
    }
}

// The simulator's own rendering of an image, made once.
const camsim::SceneImage& Rendering(std::size_t index)
{
    static std::map<std::size_t, camsim::SceneImage> made;
    auto found = made.find(index);
    if (found == made.end())
        found = made.emplace(index, camsim::RenderCapture(Recipe(Images()[index]))).first;
    return found->second;
}

// What the file must hold: the rendering, through the curve when one applies, built here from
// the handles.
std::vector<std::uint8_t> Expected(std::size_t index, const std::vector<CurveHandle>* handles,
                                   bool negative, int bits)
{
    const camsim::SceneImage& scene = Rendering(index);
    QVToneCurve curve;
    if (handles) {
        curve.SetHandles(*handles);
        curve.SetRawBits(16);
        curve.SetNegative(negative);
        curve.SetSixteenBit(bits == 16);
        curve.BuildRawTable();
    }
    std::vector<std::uint8_t> out;
    out.reserve(scene.samples.size() * 2);
    for (std::uint16_t sample : scene.samples) {
        if (handles)
            sample = curve.RawEntry(sample);
        out.push_back(static_cast<std::uint8_t>(sample));
        if (bits == 16)
            out.push_back(static_cast<std::uint8_t>(sample >> 8));
    }
    return out;
}

// Passes everything through to the real transport, but can spoil one data read.
class SpoilingTransport final : public QVCamComm {
public:
    explicit SpoilingTransport(std::unique_ptr<QVCamComm> inner)
        : QVCamComm(inner->Kind()), inner_(std::move(inner))
    {
        inner_->Open();
        QVCamComm::SetConnected(inner_->IsConnected());
    }

    void Open() override
    {
        inner_->Open();
        QVCamComm::SetConnected(inner_->IsConnected());
    }
    void SetConnected(bool connected) override
    {
        inner_->SetConnected(connected);
        QVCamComm::SetConnected(connected);
    }
    std::int16_t SendCommand(std::string_view text) override { return inner_->SendCommand(text); }
    std::int16_t ReadReply(std::span<std::uint8_t, kReplySize> buffer,
                           std::uint16_t& length) override
    {
        return inner_->ReadReply(buffer, length);
    }
    bool IsReplyReady() override { return inner_->IsReplyReady(); }
    std::int32_t ReadData(std::uint8_t selector, std::span<std::uint8_t> buffer,
                          std::uint16_t count, std::uint16_t chunk) override
    {
        const std::int32_t got = inner_->ReadData(selector, buffer, count, chunk);
        if (chunk != spoiledChunk)
            return got;
        return spoiledResult;
    }
    std::int16_t WriteTable(std::span<const std::uint8_t, kTableSize> table) override
    {
        return inner_->WriteTable(table);
    }
    std::int16_t ReadBlocks(std::uint16_t count, std::span<std::uint8_t> buffer,
                            std::uint32_t hint) override
    {
        return inner_->ReadBlocks(count, buffer, hint);
    }
    std::int16_t TransferBlock(std::uint8_t index, std::span<std::uint8_t, kBlockSize> buffer,
                               bool write) override
    {
        return inner_->TransferBlock(index, buffer, write);
    }

    int spoiledChunk = -1;
    std::int32_t spoiledResult = 0;

private:
    std::unique_ptr<QVCamComm> inner_;
};

// Raises the cancel flag once a number of blocks is done.
class CancellingProgress final : public RetrievalProgress {
public:
    CancellingProgress(std::atomic<bool>& cancel, std::uint32_t after)
        : cancel_(cancel), after_(after)
    {
    }
    void OnStatus(std::string_view text) override { statuses.emplace_back(text); }
    void OnProgress(std::uint32_t done, std::uint32_t, std::string_view, std::uint32_t) override
    {
        if (done == after_)
            cancel_.store(true);
    }
    std::vector<std::string> statuses;

private:
    std::atomic<bool>& cancel_;
    std::uint32_t after_;
};

class RetrievalSimTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        camsim::SimConfig config;
        std::string error;
        ASSERT_TRUE(camsim::ParseSimConfig(
            std::string("speed=0,model=6,link=") + GetParam() + DiskKeys(), config, error))
            << error;
        sim_ = std::make_unique<camsim::SimCamera>(std::move(config));
        std::unique_ptr<QVCamComm> inner;
        if (Usb())
            inner = std::make_unique<QVUSB>(MakeSimulatorUsbFinder(*sim_),
                                            std::chrono::microseconds(0));
        else
            inner = std::make_unique<QVSCSI>(MakeSimulatorScsiFinder(*sim_));
        auto transport = std::make_unique<SpoilingTransport>(std::move(inner));
        transport_ = transport.get();
        camera_ = std::make_unique<QVCamera>(std::move(transport), ui_,
                                             CameraOptions{std::chrono::milliseconds(1)});
        ASSERT_TRUE(camera_->IsConnected());
        entries_ = DiskDirectory(*camera_, [](std::chrono::milliseconds) {}).Read();
        ASSERT_GT(entries_.size(), 1u);
        retrieval_ = std::make_unique<Retrieval>(*camera_, ui_);
        retrieval_->SetPathChooser(&chooser_);
        retrieval_->SetOpener([this](const std::string& app, const std::filesystem::path& path) {
            opened_.push_back(app + " " + path.string());
            return true;
        });
        ui_.Clear();
    }

    [[nodiscard]] bool Usb() const { return std::string(GetParam()) == "usb"; }
    // The disk the camera starts with: the images of this test.
    virtual std::string DiskKeys()
    {
        RecordImages(disk_.Path());
        return ",disk=" + disk_.Path().string();
    }

    RetrievalSettings Settings(RetrievalMode mode, int depth) const
    {
        RetrievalSettings settings;
        settings.choice.mode = mode;
        settings.choice.depth = depth;
        settings.choice.tonePanel.handles = kPanelCurve;
        settings.metadata.modelName = camera_->GetModelName();
        settings.metadata.serialNumber = 0x1234;
        settings.metadata.versionText = "test";
        return settings;
    }

    RetrievalReport Get(std::size_t index, const RetrievalSettings& settings)
    {
        return retrieval_->RetrieveEntries(std::span(&entries_[index], 1), settings, cancel_);
    }

    // The folder holds exactly these files (no temporary file left either).
    [[nodiscard]] std::vector<std::string> FilesIn(const std::filesystem::path& folder) const
    {
        std::vector<std::string> names;
        for (const auto& file : std::filesystem::directory_iterator(folder))
            names.push_back(file.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    [[nodiscard]] bool CameraAnswers() { return camera_->QueryStatus() == 0; }

    test::TempDir disk_;
    test::TempDir out_;
    test::RecordingUiPort ui_;
    std::unique_ptr<camsim::SimCamera> sim_;
    SpoilingTransport* transport_ = nullptr;
    std::unique_ptr<QVCamera> camera_;
    std::vector<DiskEntry> entries_;
    RetrievalFolderChooser chooser_{out_.Path(), ui_};
    std::unique_ptr<Retrieval> retrieval_;
    std::vector<std::string> opened_;
    std::atomic<bool> cancel_{false};
};

struct ModeCase {
    RetrievalMode mode;
    int depth;
};

class RetrievalSimModeTest : public RetrievalSimTest {};

// Every image in one mode and depth equals the simulator's rendering, pixel for pixel, through
// the curve the mode chooses.
void CheckEveryImage(Retrieval& retrieval, const ModeCase mode, const std::filesystem::path& folder,
                     std::vector<DiskEntry>& entries, const RetrievalSettings& settings,
                     std::atomic<bool>& cancel)
{
    for (std::size_t i = 0; i < Images().size(); ++i) {
        const DiskImage& image = Images()[i];
        const RetrievalReport report =
            retrieval.RetrieveEntries(std::span(&entries[i], 1), settings, cancel);
        ASSERT_EQ(report.items.size(), 1u);
        ASSERT_EQ(report.items[0].status, RetrievalStatus::Written) << image.name;
        const std::filesystem::path path = report.items[0].path;
        EXPECT_EQ(path,
                  folder / (image.name + (mode.mode == RetrievalMode::Dng ? ".dng" : ".tif")));

        const bool wide = (image.format >> 4) % 2 == 0;
        const std::vector<CurveHandle>* handles = nullptr;
        bool negative = false;
        int depth = 16;
        if (wide) {
            if (mode.mode == RetrievalMode::SavedWithScan && !image.none14) {
                handles = &image.handles;
                negative = image.negative;
                depth = mode.depth;
            } else if (mode.mode == RetrievalMode::FromTonePanel) {
                handles = &kPanelCurve;
                depth = mode.depth;
            }
        }
        if (!wide)
            depth = 8;
        TIFFFile file(path);
        std::vector<std::uint8_t> pixels;
        ASSERT_TRUE(file.ReadImage(pixels)) << file.Error();
        EXPECT_EQ(file.Description().width, image.width);
        EXPECT_EQ(file.Description().height, image.height);
        EXPECT_EQ(file.Description().bitsPerSample, depth) << image.name;
        const std::vector<std::uint8_t> expected = Expected(i, handles, negative, depth);
        ASSERT_EQ(pixels.size(), expected.size()) << image.name;
        EXPECT_TRUE(pixels == expected) << image.name << " differs from the rendering";
        std::filesystem::remove(path);
    }
}

TEST_P(RetrievalSimTest, EveryImageInEveryModeEqualsTheRendering)
{
    for (const ModeCase mode :
         {ModeCase{RetrievalMode::None, 16}, ModeCase{RetrievalMode::SavedWithScan, 8},
          ModeCase{RetrievalMode::SavedWithScan, 16}, ModeCase{RetrievalMode::FromTonePanel, 8},
          ModeCase{RetrievalMode::FromTonePanel, 16}, ModeCase{RetrievalMode::Dng, 16}}) {
        SCOPED_TRACE(static_cast<int>(mode.mode) * 100 + mode.depth);
        CheckEveryImage(*retrieval_, mode, out_.Path(), entries_, Settings(mode.mode, mode.depth),
                        cancel_);
    }
    EXPECT_TRUE(ui_.Messages().empty());
    EXPECT_TRUE(opened_.empty());
}

TEST_P(RetrievalSimTest, AfterAScanTheNewestImageIsSavedAndOpened)
{
    RetrievalSettings settings = Settings(RetrievalMode::None, 16);
    settings.autoSave = true;
    settings.saveScansFolder = out_.Path();
    settings.openAfter = true;
    settings.openWithApplication = "viewer";
    retrieval_->SetDirectoryReader(
        [this] { return DiskDirectory(*camera_, [](std::chrono::milliseconds) {}).Read(); });
    // The newest image is the last recorded: "Red 16", whose flags ask for its curve at 16 bits.
    const RetrievalReport first = retrieval_->RetrieveNewest(settings, cancel_);
    const RetrievalReport second = retrieval_->RetrieveNewest(settings, cancel_);
    ASSERT_EQ(first.items.size(), 1u);
    ASSERT_EQ(second.items.size(), 1u);
    EXPECT_EQ(first.items[0].path, out_.Path() / "Red 16.tif");
    EXPECT_EQ(second.items[0].path, out_.Path() / "Red 16_1.tif");
    EXPECT_EQ(ScanRetrieval::StatusText(second),
              "Scan saved as " + (out_.Path() / "Red 16_1.tif").string());
    EXPECT_EQ(opened_, (std::vector<std::string>{"viewer " + first.items[0].path.string(),
                                                 "viewer " + second.items[0].path.string()}));
    TIFFFile file(second.items[0].path);
    std::vector<std::uint8_t> pixels;
    ASSERT_TRUE(file.ReadImage(pixels));
    const std::size_t red = Images().size() - 1;
    EXPECT_TRUE(pixels == Expected(red, &Images()[red].handles, false, 16));

    // A directory with a slot the camera did not describe: the newest cannot be told, and no
    // older image is saved in its place.
    retrieval_->SetDirectoryReader([this] {
        std::vector<DiskEntry> entries =
            DiskDirectory(*camera_, [](std::chrono::milliseconds) {}).Read();
        entries.back().unread = true;
        return entries;
    });
    const RetrievalReport unread = retrieval_->RetrieveNewest(settings, cancel_);
    EXPECT_TRUE(unread.items.empty());
    EXPECT_EQ(ScanRetrieval::StatusText(unread),
              "Scan not saved: the camera's disk could not be read");
    retrieval_->SetDirectoryReader([] {
        DiskEntry free;
        free.kind = DiskEntry::kFreeKind;
        return std::vector<DiskEntry>{free};
    });
    EXPECT_EQ(ScanRetrieval::StatusText(retrieval_->RetrieveNewest(settings, cancel_)),
              "Scan not saved: the camera's disk holds no image");

    // Without automatic saving nothing happens.
    settings.autoSave = false;
    EXPECT_TRUE(retrieval_->RetrieveNewest(settings, cancel_).items.empty());
    EXPECT_TRUE(ui_.Messages().empty());
}

// Images of the same name, saved automatically or into chosen files: each gets its own file,
// and the report names each file once.
TEST_P(RetrievalSimTest, ImagesOfTheSameNameNeverShareAFile)
{
    entries_[1].name = entries_[2].name = "Same";
    const std::vector<DiskEntry> three = {entries_[1], entries_[2], entries_[1]};
    RetrievalSettings settings = Settings(RetrievalMode::None, 16);
    settings.autoSave = true;
    settings.saveScansFolder = out_.Path();
    const auto paths = [](const RetrievalReport& report) {
        std::vector<std::string> names;
        for (const RetrievalItem& item : report.items) {
            EXPECT_EQ(item.status, RetrievalStatus::Written);
            names.push_back(item.path.filename().string());
        }
        return names;
    };
    EXPECT_EQ(paths(retrieval_->RetrieveEntries(three, settings, cancel_)),
              (std::vector<std::string>{"Same.tif", "Same_1.tif", "Same_2.tif"}));

    // Chosen files: the user agreed to replace Same.tif, but only the first image replaces it.
    settings.autoSave = false;
    EXPECT_EQ(paths(retrieval_->RetrieveEntries(three, settings, cancel_)),
              (std::vector<std::string>{"Same.tif", "Same_3.tif", "Same_4.tif"}));
    EXPECT_EQ(ui_.Messages().size(), 1u) << "one question for the one file that stood there";
    EXPECT_EQ(FilesIn(out_.Path()),
              (std::vector<std::string>{"Same.tif", "Same_1.tif", "Same_2.tif", "Same_3.tif",
                                        "Same_4.tif"}));
    TIFFFile first(out_.Path() / "Same.tif");
    TIFFFile second(out_.Path() / "Same_3.tif");
    ASSERT_TRUE(first.ReadDescription() && second.ReadDescription());
    EXPECT_EQ(first.Description().width, entries_[1].width);
    EXPECT_EQ(second.Description().width, entries_[2].width);
}

TEST_P(RetrievalSimTest, IllegalNamesAndMissingFoldersAreReported)
{
    RetrievalSettings settings = Settings(RetrievalMode::None, 16);
    entries_[1].name = "Left:Right";
    Get(1, settings);
    EXPECT_EQ(FilesIn(out_.Path()), std::vector<std::string>{"NeedLegalFileName.tif"});
    EXPECT_EQ(ui_.MessageTexts(),
              std::vector<std::string>{"Warning - the file name contained illegal characters"});

    ui_.Clear();
    settings.autoSave = true;
    settings.saveScansFolder = out_.Path() / "gone";
    const RetrievalReport missing = Get(2, settings);
    EXPECT_EQ(missing.items[0].status, RetrievalStatus::Skipped);
    EXPECT_EQ(ScanRetrieval::StatusText(missing),
              "Scan not saved: the folder for scans does not exist");
    EXPECT_EQ(ui_.MessageTexts(),
              std::vector<std::string>{
                  "Warning - the Save Scan Directory does not exist, retrieve file manualy"});
}

// A failure or a cancel leaves no file under the final name (nor a temporary one), the files
// already there as they were, and the camera answering.
class RetrievalFaultTest : public RetrievalSimTest {
protected:
    void SetUp() override
    {
        RetrievalSimTest::SetUp();
        std::ofstream(out_.Path() / "Earlier.tif") << "an earlier file";
    }
    void ExpectNothingLeft()
    {
        EXPECT_EQ(FilesIn(out_.Path()), std::vector<std::string>{"Earlier.tif"});
        std::ifstream in(out_.Path() / "Earlier.tif");
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        EXPECT_EQ(text, "an earlier file");
        EXPECT_TRUE(CameraAnswers());
    }
};

TEST_P(RetrievalFaultTest, CancelAfterTheFirstBlock)
{
    CancellingProgress progress(cancel_, 1);
    retrieval_->SetProgress(&progress);
    const RetrievalReport report = Get(0, Settings(RetrievalMode::SavedWithScan, 16));
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.items[0].status, RetrievalStatus::Cancelled);
    EXPECT_EQ(progress.statuses, std::vector<std::string>{"Retrieving \"Chart 16\"."});
    EXPECT_TRUE(ui_.Messages().empty());
    ExpectNothingLeft();
}

TEST_P(RetrievalFaultTest, FailedAndShortReads)
{
    for (const std::int32_t result : {-1, std::int32_t{RetrievalTransfer::kBlockBytes} - 512}) {
        ui_.Clear();
        transport_->spoiledChunk = 1;
        transport_->spoiledResult = result;
        const RetrievalReport report = Get(0, Settings(RetrievalMode::None, 16));
        EXPECT_EQ(report.items[0].status, RetrievalStatus::Failed);
        EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Camera Reported Error: 1117"});
        transport_->spoiledChunk = -1;
        ExpectNothingLeft();
    }
}

TEST_P(RetrievalFaultTest, NotEnoughSpaceSkipsTheImage)
{
    retrieval_->SetDiskSpaceProbe([](const std::filesystem::path&) { return 720 * 760 * 6 - 1; });
    std::vector<DiskEntry> two = {entries_[0], entries_[1]};
    const RetrievalReport report =
        retrieval_->RetrieveEntries(two, Settings(RetrievalMode::None, 16), cancel_);
    ASSERT_EQ(report.items.size(), 2u);
    EXPECT_EQ(report.items[0].status, RetrievalStatus::Skipped);
    EXPECT_EQ(report.items[1].status, RetrievalStatus::Written) << "the next one fits";
    EXPECT_EQ(report.items[0].reason, "not enough disk space");
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Not enough disk space"});
    std::filesystem::remove(report.items[1].path);
    ExpectNothingLeft();
}

TEST_P(RetrievalFaultTest, ARefusedReplaceCancelsBeforeAnyTransfer)
{
    entries_[0].name = "Earlier";
    ui_.SetAnswer(MessageResult::No);
    std::vector<DiskEntry> two = {entries_[1], entries_[0]};
    const RetrievalReport report =
        retrieval_->RetrieveEntries(two, Settings(RetrievalMode::None, 16), cancel_);
    EXPECT_TRUE(report.cancelled);
    EXPECT_TRUE(report.items.empty()) << "nothing is transferred, not even the first image";
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].buttons, MessageButtons::YesNo);
    ExpectNothingLeft();
}

TEST_P(RetrievalFaultTest, AFileThatCannotBeCreated)
{
    // The chosen folder vanished before the transfer.
    RetrievalFolderChooser gone(out_.Path() / "gone", ui_);
    retrieval_->SetPathChooser(&gone);
    const RetrievalReport report = Get(2, Settings(RetrievalMode::None, 16));
    EXPECT_EQ(report.items[0].status, RetrievalStatus::Skipped);
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Could not open file"});
    ExpectNothingLeft();
}

TEST_P(RetrievalFaultTest, ImagesThatCannotBeAddressedOrConvertedAreSkipped)
{
    std::vector<DiskEntry> bad = {entries_[0], entries_[1], entries_[2]};
    bad[0].block = 0;    // a data read of block 0 would read scan lines
    bad[1].block = 300;  // beyond the one byte that addresses it
    bad[2].kind = 0x4C;  // four bytes per pixel: no stored form this program knows
    const RetrievalReport report =
        retrieval_->RetrieveEntries(bad, Settings(RetrievalMode::None, 16), cancel_);
    ASSERT_EQ(report.items.size(), 3u);
    for (const RetrievalItem& item : report.items) EXPECT_EQ(item.status, RetrievalStatus::Skipped);
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>(3, "The image cannot be retrieved"));
    ExpectNothingLeft();
}

// The link dies in the middle of the transfer: the data read that would pass the bytes it
// carries fails.
class RetrievalDroppedLinkTest : public RetrievalFaultTest {
protected:
    std::string DiskKeys() override
    {
        return RetrievalSimTest::DiskKeys() + ",fault=dropdata:4000000";
    }
};

TEST_P(RetrievalDroppedLinkTest, TheTransferFailsAndLeavesNothing)
{
    const RetrievalReport report = Get(0, Settings(RetrievalMode::SavedWithScan, 16));
    EXPECT_EQ(report.items[0].status, RetrievalStatus::Failed);
    ASSERT_EQ(ui_.MessageTexts().size(), 1u);
    EXPECT_TRUE(ui_.MessageTexts()[0].starts_with("Camera Reported Error: "))
        << ui_.MessageTexts()[0];
    EXPECT_EQ(FilesIn(out_.Path()), std::vector<std::string>{"Earlier.tif"});
}

// The external readers see what the files declare.
TEST_P(RetrievalSimTest, ExifAndDngReadBackInTheUsualTools)
{
    if (!std::filesystem::exists("/usr/bin/exiftool") ||
        !std::filesystem::exists("/usr/bin/raw-identify"))
        GTEST_SKIP() << "exiftool or raw-identify (libraw-bin) is not installed";
    setenv("TZ", "UTC", 1);
    tzset();
    const RetrievalReport tiff = Get(0, Settings(RetrievalMode::SavedWithScan, 16));
    const test::ProcessResult fields = test::RunProcess(
        {"/usr/bin/exiftool", "-s", "-s", "-ExposureTime", "-ISO", "-DateTimeOriginal",
         "-UserComment", "-Orientation#", tiff.items[0].path.string()});
    ASSERT_EQ(fields.exitCode, 0) << fields.err;
    EXPECT_NE(fields.out.find("ExposureTime: 1/20"), std::string::npos) << fields.out;
    EXPECT_NE(fields.out.find("ISO: 100"), std::string::npos) << fields.out;
    EXPECT_NE(fields.out.find("DateTimeOriginal: 2027:08:01 21:20:00"), std::string::npos)
        << fields.out;
    EXPECT_NE(fields.out.find("UserComment: first roll"), std::string::npos) << fields.out;
    EXPECT_NE(fields.out.find("Orientation: 6"), std::string::npos) << fields.out;
    const test::ProcessResult note = test::RunProcess(
        {"/usr/bin/exiftool", "-b", "-MakerNoteUnknownText", tiff.items[0].path.string()});
    EXPECT_EQ(note.out.size(), 512u);
    EXPECT_EQ(note.out.substr(192, 8), "Chart 16");

    const RetrievalReport dng = Get(0, Settings(RetrievalMode::Dng, 16));
    const std::string path = dng.items[0].path.string();
    const test::ProcessResult raw = test::RunProcess({"/usr/bin/raw-identify", "-v", path});
    ASSERT_EQ(raw.exitCode, 0) << raw.err << raw.out;
    EXPECT_NE(raw.out.find("720 x 760"), std::string::npos) << raw.out;
    const test::ProcessResult tags = test::RunProcess(
        {"/usr/bin/exiftool", "-s", "-s", "-UniqueCameraModel", "-CameraSerialNumber",
         "-CalibrationIlluminant1#", "-CalibrationIlluminant2#", "-ColorMatrix1", "-AnalogBalance",
         "-AsShotNeutral", "-DNGVersion", path});
    EXPECT_NE(tags.out.find("UniqueCameraModel: Qorvane Model Cedar"), std::string::npos)
        << tags.out;
    EXPECT_NE(tags.out.find("CameraSerialNumber: 4660"), std::string::npos) << tags.out;
    EXPECT_NE(tags.out.find("CalibrationIlluminant1: 17"), std::string::npos) << tags.out;
    EXPECT_NE(tags.out.find("CalibrationIlluminant2: 22"), std::string::npos) << tags.out;
    EXPECT_NE(tags.out.find("ColorMatrix1: 2.6424 -1.698724 0.056323"), std::string::npos)
        << tags.out;
    EXPECT_NE(tags.out.find("AsShotNeutral: 1 1 1"), std::string::npos) << tags.out;
    EXPECT_NE(tags.out.find("DNGVersion: 1.1.0.0"), std::string::npos) << tags.out;
}

// The sample images a new simulated disk holds, each retrieved in every mode and depth, equal
// the simulator's rendering of the image's recipe, through the curve saved in the header (read
// here with sscanf) or the tone panel's.
class RetrievalSampleTest : public RetrievalSimTest {
protected:
    std::string DiskKeys() override { return ",samples=on"; }
};

struct HeaderCurve {
    std::vector<CurveHandle> handles;
    unsigned flags = 0;
};

HeaderCurve ReadHeaderCurve(const std::array<std::uint8_t, 512>& header)
{
    const std::string text(header.begin(), header.end());
    unsigned v[9] = {};
    std::sscanf(text.c_str() + 112, "%x %x %x %x %x %x %x %x %x", &v[0], &v[1], &v[2], &v[3], &v[4],
                &v[5], &v[6], &v[7], &v[8]);
    HeaderCurve curve;
    for (unsigned i = 0; i < v[0] && i < 7; ++i)
        curve.handles.push_back(
            {static_cast<std::int16_t>(v[1 + i] >> 8), static_cast<std::int16_t>(v[1 + i] & 0xFF)});
    std::sscanf(text.c_str() + 154, "%x", &curve.flags);
    return curve;
}

TEST_P(RetrievalSampleTest, EverySampleInEveryModeEqualsTheRendering)
{
    std::size_t checked = 0;
    std::map<std::size_t, camsim::SceneImage> scenes;
    for (const ModeCase mode :
         {ModeCase{RetrievalMode::None, 16}, ModeCase{RetrievalMode::SavedWithScan, 8},
          ModeCase{RetrievalMode::SavedWithScan, 16}, ModeCase{RetrievalMode::FromTonePanel, 8},
          ModeCase{RetrievalMode::FromTonePanel, 16}, ModeCase{RetrievalMode::Dng, 16}}) {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].IsFree())
                continue;
            const auto image = sim_->DiskImage(static_cast<std::uint8_t>(entries_[i].block));
            ASSERT_TRUE(image);
            const RetrievalReport report = Get(i, Settings(mode.mode, mode.depth));
            ASSERT_EQ(report.items.size(), 1u);
            ASSERT_EQ(report.items[0].status, RetrievalStatus::Written) << entries_[i].name;

            const HeaderCurve saved = ReadHeaderCurve(image->header);
            const bool wide = image->recipe.BytesPerPixel() % 2 == 0;
            const std::vector<CurveHandle>* handles = nullptr;
            bool negative = false;
            if (wide && mode.mode == RetrievalMode::SavedWithScan && (saved.flags & 2) == 0) {
                handles = &saved.handles;
                negative = (saved.flags & 4) != 0;
            } else if (wide && mode.mode == RetrievalMode::FromTonePanel) {
                handles = &kPanelCurve;
            }
            const int depth = !wide ? 8 : handles ? mode.depth : 16;
            auto rendered = scenes.find(i);
            if (rendered == scenes.end())
                rendered = scenes.emplace(i, camsim::RenderCapture(image->recipe)).first;
            const camsim::SceneImage& scene = rendered->second;
            QVToneCurve curve;
            if (handles) {
                curve.SetHandles(*handles);
                curve.SetRawBits(16);
                curve.SetNegative(negative);
                curve.SetSixteenBit(depth == 16);
                curve.BuildRawTable();
            }
            std::vector<std::uint8_t> expected;
            for (std::uint16_t sample : scene.samples) {
                if (handles)
                    sample = curve.RawEntry(sample);
                expected.push_back(static_cast<std::uint8_t>(sample));
                if (depth == 16)
                    expected.push_back(static_cast<std::uint8_t>(sample >> 8));
            }
            TIFFFile file(report.items[0].path);
            std::vector<std::uint8_t> pixels;
            ASSERT_TRUE(file.ReadImage(pixels)) << file.Error();
            EXPECT_EQ(file.Description().bitsPerSample, depth) << entries_[i].name;
            EXPECT_TRUE(pixels == expected) << entries_[i].name << " in mode "
                                            << static_cast<int>(mode.mode) << "/" << mode.depth;
            std::filesystem::remove(report.items[0].path);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 30u) << "five samples in six modes";
    EXPECT_TRUE(ui_.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Links, RetrievalSampleTest, ::testing::Values("usb", "scsi"));

INSTANTIATE_TEST_SUITE_P(Links, RetrievalSimTest, ::testing::Values("usb", "scsi"));
INSTANTIATE_TEST_SUITE_P(Links, RetrievalFaultTest, ::testing::Values("usb", "scsi"));
INSTANTIATE_TEST_SUITE_P(Links, RetrievalDroppedLinkTest, ::testing::Values("usb", "scsi"));

}  // namespace
}  // namespace scanora
