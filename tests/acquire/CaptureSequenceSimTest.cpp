#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "acquire/CaptureCommandQueue.h"
#include "acquire/CaptureSequence.h"
#include "acquire/CaptureView.h"
#include "acquire/PreviewImage.h"
#include "camera/QVExposure.h"
#include "camera/QVPanoControl.h"
#include "cameradisk/DiskDirectory.h"
#include "camsim/SceneRendering.h"
#include "camsim/SimCamera.h"
#include "context/AppContext.h"
#include "output/TIFFFile.h"
#include "settings/InsertRotation.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "support/RecordingUiPort.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using namespace std::chrono_literals;

// Records what the threads post and hands the capture's window commands to the queue, as the
// main window does. With `stopOn` set, the first status text that starts with it raises the
// interrupt flag (the user pressing the abort key).
class SequenceUi final : public UiPort {
public:
    MessageResult ShowMessage(std::string_view text, MessageIcon icon,
                              MessageButtons buttons) override
    {
        return record.ShowMessage(text, icon, buttons);
    }
    void PostCommand(WindowCommand command, std::string_view text) override
    {
        record.PostCommand(command, text);
        queue.Post(command);
        if (command == WindowCommand::ShowStatus && !stopOn.empty() &&
            std::string_view(text).starts_with(stopOn))
            interrupt = true;
    }
    void Beep() override {}

    std::vector<std::string> StatusTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& posted : record.PostedCommands())
            if (posted.command == WindowCommand::ShowStatus && !posted.text.empty())
                texts.push_back(posted.text);
        return texts;
    }

    test::RecordingUiPort record;
    CaptureCommandQueue queue;
    std::string stopOn;
    std::atomic<bool> interrupt{false};
};

// A view that can press the abort keys after a number of shown groups.
class TestView final : public CaptureView {
public:
    void ShowPreviewRows(int, int) override { ++groups; }
    void HoldPreview() override
    {
        // The hold comes first, while the controls are still on.
        heldBeforeControlsOff = heldBeforeControlsOff && controlsEnabled;
        ++holds;
    }
    void SetCaptureControlsEnabled(bool enabled) override { controlsEnabled = enabled; }
    bool AbortKeysDown() const override { return abortAfter >= 0 && groups >= abortAfter; }

    std::atomic<int> groups{0};
    std::atomic<bool> controlsEnabled{true};
    std::atomic<int> holds{0};
    std::atomic<bool> heldBeforeControlsOff{true};
    int abortAfter = -1;
};

class CaptureSequenceSimTest : public ::testing::TestWithParam<const char*> {
protected:
    void Open(const std::string& extra = {}, CameraOptions options = CameraOptions{1ms})
    {
        sequence_.reset();
        context_.reset();
        std::string error;
        context_ = AppContext::Create(std::string("sim:speed=0,model=6,link=") + GetParam() + extra,
                                      ui_, error, options);
        ASSERT_TRUE(context_) << error;
        ASSERT_TRUE(context_->Camera().IsConnected());
        CaptureTiming timing;
        timing.finishPause = 1ms;
        timing.monitorInterval = 2ms;
        timing.noCameraPrescan = 1ms;
        timing.noCameraScan = 1ms;
        timing.seriesPause = 2ms;
        timing.second = 40ms;
        timing.paintWait = 0ms;
        timing.closingReply = 150ms;
        timing.noAnswerLimit = 150ms;
        timing.stallLimit = 150ms;
        sequence_ = std::make_unique<CaptureSequence>(context_->ForCapture(), image_, view_,
                                                      &context_->Stage(), timing);
    }
    void SetUp() override { Open(); }
    void TearDown() override
    {
        sequence_.reset();
        context_.reset();
    }

    void RunUntilIdle() { ui_.queue.RunUntilIdle(*sequence_, ui_.interrupt, 5ms); }

    bool Prescan(const PrescanChoice& choice = {})
    {
        if (!sequence_->Prescan(choice))
            return false;
        RunUntilIdle();
        return sequence_->LastPrescanSucceeded();
    }

    // Every preview pixel equals the simulator's own rendering of its last capture.
    void ExpectPreviewIsScene(bool second)
    {
        const auto recipe = context_->Simulator()->LastCaptureRecipe();
        ASSERT_TRUE(recipe.has_value());
        const camsim::SceneImage scene = camsim::RenderPreview(*recipe);
        const std::span<const std::uint16_t> samples = image_.Samples(second);
        ASSERT_EQ(scene.samples.size(), samples.size());
        EXPECT_EQ(static_cast<int>(scene.width), image_.DisplayWidth());
        const auto mismatch = std::mismatch(samples.begin(), samples.end(), scene.samples.begin());
        EXPECT_TRUE(mismatch.first == samples.end())
            << "first difference at sample " << (mismatch.first - samples.begin());
    }

    int ImagesOnDisk()
    {
        const std::vector<DiskEntry> entries =
            DiskDirectory(context_->Camera(), [](std::chrono::milliseconds) {}).Read();
        return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                              [](const DiskEntry& e) { return !e.IsFree(); }));
    }

    // The destinations of the stage's moves (each "MD" just before a "CMG"), in order.
    std::vector<int> StageMoves() const
    {
        const auto received = context_->Simulator()->ReceivedCommands();
        std::vector<int> moves;
        for (std::size_t i = 0; i + 1 < received.size(); ++i) {
            if (received[i + 1] == "CMG" && received[i].starts_with("MD"))
                moves.push_back(std::stoi(received[i].substr(2), nullptr, 16));
        }
        return moves;
    }

    void UseSmallScan()
    {
        QVSize& size = context_->Size();
        size.SetInsertRotation(InsertRotation::kFromTop, false);
        size.SetResolutionNumber(size.GetSensorGeometry().HighestStep() - 1);
        size.SetCropFromRectangle(30.0, 20.0, 10.0, 10.0);
    }

    SequenceUi ui_;
    TestView view_;
    PreviewImage image_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<CaptureSequence> sequence_;
};

TEST_P(CaptureSequenceSimTest, PrescanInEveryInsertDirectionIsTheSceneUpright)
{
    for (const int code : {InsertRotation::kFromTop, InsertRotation::kFromLeft,
                           InsertRotation::kFromRight, InsertRotation::kFromBottom}) {
        SCOPED_TRACE(code);
        context_->Size().SetInsertRotation(code, false);
        ASSERT_TRUE(Prescan());
        EXPECT_EQ(sequence_->State(), CaptureState::Idle);
        ExpectPreviewIsScene(false);
    }
    EXPECT_TRUE(view_.controlsEnabled);
    // Each prescan held the preview before writing it.
    EXPECT_EQ(view_.holds, 4);
    EXPECT_TRUE(view_.heldBeforeControlsOff);
    // The prescan-time display counted down and came back to the estimate.
    const auto posted = ui_.record.PostedCommands();
    EXPECT_TRUE(std::any_of(posted.begin(), posted.end(), [](const auto& p) {
        return p.command == WindowCommand::SetElapsedTime;
    }));
    EXPECT_TRUE(ui_.record.MessageTexts().empty());
}

// A saved prescan holds what the window showed: the crop region, in false colour where the
// window shows it, and the notes the camera was given for the capture.
TEST_P(CaptureSequenceSimTest, SavedPrescanCarriesItsNotesCropAndFalseColour)
{
    CameraPreferences& prefs = context_->CameraSetting().Prefs();
    prefs.fileDescriptionTextType = 1;
    prefs.cameraColorMode = CameraPreferences::kColor;
    prefs.use16BitCurve = false;
    prefs.scanName = "Harbour";
    sequence_->SetUserText("Tripod, f/8");
    ASSERT_TRUE(Prescan());

    const int width = image_.DisplayWidth();
    const int height = image_.DisplayHeight();
    // Every level is shown in pure red.
    sequence_->SetPreviewMarks(
        {CropPercent{25.0, 50.0, 50.0, 25.0}, std::vector<std::int32_t>(256, 0x0000FF)});
    const test::TempDir dir;
    const std::filesystem::path path = dir.Path() / "Harbour_pre.tif";
    ASSERT_TRUE(sequence_->SavePreview(path));

    TIFFFile file(path);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(file.ReadImage(bytes));
    const TIFFDescription& saved = file.Description();
    ASSERT_EQ(saved.bitsPerSample, 8);
    const ImageRect crop = CropEditor::WindowRect({25.0, 50.0, 50.0, 25.0}, width, height);
    EXPECT_EQ(saved.width * saved.height,
              static_cast<std::uint32_t>((crop.right - crop.left) * (crop.bottom - crop.top)));
    EXPECT_LT(saved.width * saved.height, static_cast<std::uint32_t>(width * height));
    ASSERT_TRUE(saved.description.has_value());
    EXPECT_TRUE(saved.description->starts_with("Harbour, ")) << *saved.description;
    EXPECT_TRUE(saved.description->ends_with("\rTripod, f/8")) << *saved.description;
    ASSERT_EQ(bytes.size() % 3, 0u);
    for (std::size_t i = 0; i < bytes.size(); i += 3)
        ASSERT_EQ((std::array<int, 3>{bytes[i], bytes[i + 1], bytes[i + 2]}),
                  (std::array<int, 3>{255, 0, 0}))
            << "pixel " << i / 3;

    // With false colour off and the crop the whole image, the file is the whole preview.
    sequence_->SetPreviewMarks({});
    ASSERT_TRUE(sequence_->SavePreview(path));
    TIFFFile whole(path);
    ASSERT_TRUE(whole.ReadImage(bytes));
    EXPECT_EQ(whole.Description().width * whole.Description().height,
              static_cast<std::uint32_t>(width * height));
    EXPECT_TRUE(std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; }));
}

TEST_P(CaptureSequenceSimTest, CropPrescanReadsOnlyTheCropRows)
{
    QVSize& size = context_->Size();
    size.SetInsertRotation(InsertRotation::kFromTop, false);
    size.SetCropFromRectangle(50.0, 30.0, 20.0, 40.0);
    size.SetCropPrescan(true);
    ASSERT_TRUE(image_.AllocatePreview(PreviewGeometry::ForCamera(8000, 10660, 12, 0)));
    ASSERT_TRUE(image_.SetRotation(0));
    std::span<std::uint16_t> samples = image_.Samples(false);
    std::fill(samples.begin(), samples.end(), std::uint16_t{7777});

    ASSERT_TRUE(Prescan());
    const CameraWindow window = size.PrescanWindow();
    const auto recipe = context_->Simulator()->LastCaptureRecipe();
    ASSERT_TRUE(recipe.has_value());
    ASSERT_EQ(recipe->geometry.lines, static_cast<std::uint32_t>(window.lines));
    const camsim::SceneImage scene = camsim::RenderPreview(*recipe);
    const std::size_t rowSamples = static_cast<std::size_t>(image_.Width()) * 3;
    for (int row = 0; row < image_.Height(); ++row) {
        const auto begin = samples.begin() + static_cast<std::ptrdiff_t>(row * rowSamples);
        const auto end = begin + static_cast<std::ptrdiff_t>(rowSamples);
        if (row < window.firstLine || row >= window.firstLine + window.lines) {
            ASSERT_TRUE(std::all_of(begin, end, [](std::uint16_t s) { return s == 7777; }))
                << "row " << row << " outside the crop was written";
        } else {
            const auto sceneRow =
                scene.samples.begin() +
                static_cast<std::ptrdiff_t>((row - window.firstLine) * rowSamples);
            ASSERT_TRUE(std::equal(begin, end, sceneRow)) << "row " << row;
        }
    }
}

TEST_P(CaptureSequenceSimTest, SuperPrescanFillsTheSecondBuffer)
{
    context_->Size().SetInsertRotation(InsertRotation::kFromTop, false);
    ASSERT_TRUE(Prescan());
    const std::vector<std::uint16_t> normal(image_.Samples(false).begin(),
                                            image_.Samples(false).end());
    context_->Size().SetResolutionNumber(9);
    PrescanChoice choice;
    choice.superPrescan = true;
    choice.superOriginPixel = 1200;
    choice.superOriginLine = 2400;
    ASSERT_TRUE(Prescan(choice));
    EXPECT_TRUE(image_.ShowingSuper());
    const auto recipe = context_->Simulator()->LastCaptureRecipe();
    ASSERT_TRUE(recipe.has_value());
    EXPECT_EQ(recipe->geometry.sizeStep, 9);
    ExpectPreviewIsScene(true);
    // The normal preview is kept as it was.
    EXPECT_TRUE(std::equal(normal.begin(), normal.end(), image_.Samples(false).begin()));
}

TEST_P(CaptureSequenceSimTest, StoppedPrescanLeavesTheCameraReadyForTheNext)
{
    context_->Size().SetInsertRotation(InsertRotation::kFromLeft, false);
    view_.abortAfter = 10;
    ASSERT_TRUE(sequence_->Prescan());
    RunUntilIdle();
    EXPECT_GE(view_.groups.load(), 10);
    EXPECT_LT(view_.groups.load(), 888 / 4);
    EXPECT_FALSE(sequence_->StopRequested());

    view_.abortAfter = -1;
    view_.groups = 0;
    ASSERT_TRUE(Prescan());
    ExpectPreviewIsScene(false);
    EXPECT_TRUE(ui_.record.MessageTexts().empty()) << ui_.record.MessageTexts().front();
}

TEST_P(CaptureSequenceSimTest, ScanRunsToItsClosingReplyAndIsOnTheDisk)
{
    UseSmallScan();
    const int before = ImagesOnDisk();
    ASSERT_TRUE(sequence_->Scan());
    RunUntilIdle();
    EXPECT_TRUE(sequence_->LastScanStarted());
    EXPECT_EQ(sequence_->State(), CaptureState::Idle);
    EXPECT_EQ(ImagesOnDisk(), before + 1);
    EXPECT_TRUE(view_.controlsEnabled);
    // The scan leaves the preview alone: it stays shown under the progress lines.
    EXPECT_EQ(view_.holds, 0);
    EXPECT_EQ(context_->Camera().QueryStatus(), 0);
    EXPECT_TRUE(ui_.record.MessageTexts().empty()) << ui_.record.MessageTexts().front();
    // The scan recorded the window the output geometry asked for.
    const auto recipe = context_->Simulator()->LastCaptureRecipe();
    ASSERT_TRUE(recipe.has_value());
    EXPECT_EQ(recipe->geometry.lines,
              static_cast<std::uint32_t>(context_->Size().ScanWindow().lines));
}

TEST_P(CaptureSequenceSimTest, ScanCommandReturnsAtOnceAndTheScanRunsOn)
{
    Open({}, CameraOptions{});  // the link's own reply poll interval
    UseSmallScan();
    const int before = ImagesOnDisk();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(sequence_->Scan());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, 30ms) << "the user thread waits only for the status query";
    RunUntilIdle();
    EXPECT_TRUE(sequence_->LastScanStarted());
    EXPECT_EQ(sequence_->State(), CaptureState::Idle);
    EXPECT_EQ(ImagesOnDisk(), before + 1);
    EXPECT_TRUE(ui_.record.MessageTexts().empty()) << ui_.record.MessageTexts().front();
}

TEST_P(CaptureSequenceSimTest, TimeLapseOfThreeCountsDownBetweenScans)
{
    UseSmallScan();
    CameraPreferences& prefs = context_->CameraSetting().Prefs();
    prefs.timeLapse = true;
    prefs.timeLapseImages = 3;
    prefs.timeLapseSeconds = 2;
    const int before = ImagesOnDisk();
    ASSERT_TRUE(sequence_->Scan());
    RunUntilIdle();
    EXPECT_EQ(ImagesOnDisk(), before + 3);

    // The texts in order, each countdown text at least once and each image announced once.
    const std::vector<std::string> texts = ui_.StatusTexts();
    for (const char* scanning :
         {"Scanning image 1 of 3", "Scanning image 2 of 3", "Scanning image 3 of 3"})
        EXPECT_EQ(std::count(texts.begin(), texts.end(), scanning), 1) << scanning;
    const std::vector<std::string> expected{
        "Scanning image 1 of 3", "Time Lapse 2 of 3, in 2 seconds", "Scanning image 2 of 3",
        "Time Lapse 3 of 3, in 2 seconds", "Scanning image 3 of 3"};
    auto at = texts.begin();
    for (const std::string& text : expected) {
        at = std::find(at, texts.end(), text);
        ASSERT_NE(at, texts.end()) << "missing or out of order: " << text;
    }
    EXPECT_EQ(sequence_->ImagesRemaining(), 0);
    EXPECT_TRUE(view_.controlsEnabled);
}

TEST_P(CaptureSequenceSimTest, ObjectSeriesTurnsTheObjectByItsStepBetweenImages)
{
    // 12 images over 360 degrees are 30 degrees apart; with the small stage's a = 2618 that is
    // truncate(174532.92519943297 / 2618 x 30) = 1999 steps, not 2000. Each turn goes down and
    // is a coarse move that stops 67 steps short, above the target, and coasts onto it.
    constexpr int kStart = 26624;
    constexpr int kStep = 1999;
    UseSmallScan();
    QVPanoControl& pano = context_->Pano();
    pano.SetPanoMode(StageValues::kPanoObject);
    StageGeometry geometry = pano.Geometry();
    geometry.SetNumImages(12);
    geometry.SetNumDegrees(360.0);
    pano.SetGeometry(geometry);

    struct Series {
        int first, last, images, turnsBefore;
    };
    for (const Series series : {Series{0, 0, 12, 0}, Series{4, 6, 3, 3}}) {
        ASSERT_TRUE(pano.PositionStage(kStart));
        pano.SetObjectRange(series.first, series.last);
        const std::size_t movesBefore = StageMoves().size();
        const std::size_t textsBefore = ui_.StatusTexts().size();
        const int before = ImagesOnDisk();
        ASSERT_TRUE(sequence_->Scan());
        RunUntilIdle();
        EXPECT_EQ(ImagesOnDisk(), before + series.images);

        const int turns = series.turnsBefore + series.images - 1;
        std::vector<int> expected;
        for (int turn = 1; turn <= turns; ++turn) expected.push_back(kStart - turn * kStep + 67);
        const std::vector<int> moves = StageMoves();
        EXPECT_EQ(std::vector<int>(moves.begin() + static_cast<long>(movesBefore), moves.end()),
                  expected);
        EXPECT_EQ(pano.StagePosition(), kStart - turns * kStep);

        const std::vector<std::string> all = ui_.StatusTexts();
        const std::vector<std::string> texts(all.begin() + static_cast<long>(textsBefore),
                                             all.end());
        const std::string last = "Scanning image " + std::to_string(series.images) + " of " +
                                 std::to_string(series.images);
        EXPECT_EQ(std::count(texts.begin(), texts.end(), last), 1) << last;
        EXPECT_EQ(sequence_->ImagesRemaining(), 0);
    }
}

TEST_P(CaptureSequenceSimTest, StopDuringTheWaitEndsTheSeries)
{
    UseSmallScan();
    CameraPreferences& prefs = context_->CameraSetting().Prefs();
    prefs.timeLapse = true;
    prefs.timeLapseImages = 3;
    prefs.timeLapseSeconds = 5;
    ui_.stopOn = "Time Lapse";
    const int before = ImagesOnDisk();
    ASSERT_TRUE(sequence_->Scan());
    RunUntilIdle();
    EXPECT_EQ(ImagesOnDisk(), before + 1);
    EXPECT_EQ(sequence_->ImagesRemaining(), 0);
    EXPECT_EQ(sequence_->ImagesTotal(), 0);
    EXPECT_TRUE(view_.controlsEnabled);
    const std::vector<std::string> texts = ui_.StatusTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Scanning image 2 of 3"), 0);
}

TEST_P(CaptureSequenceSimTest, PrescanWhileAScanRunsIsRefusedAndTheAbortKeyStopsTheScan)
{
    TearDown();
    Open(",speed=0.02");
    UseSmallScan();
    ASSERT_TRUE(sequence_->Scan());
    for (int i = 0; i < 400 && sequence_->State() != CaptureState::Scan; ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(sequence_->State(), CaptureState::Scan);
    EXPECT_FALSE(sequence_->Prescan());
    EXPECT_EQ(ui_.record.MessageTexts(), std::vector<std::string>{"Scan in Progress"});

    // Once the camera has started, the abort key stops the scan at once.
    while (sequence_->State() == CaptureState::Scan && !sequence_->LastScanStarted())
        std::this_thread::sleep_for(1ms);
    sequence_->AbortKey();
    RunUntilIdle();
    EXPECT_EQ(sequence_->State(), CaptureState::Idle);
    EXPECT_TRUE(view_.controlsEnabled);
    EXPECT_EQ(context_->Camera().QueryStatus(), 0);
    ASSERT_TRUE(Prescan());
}

TEST_P(CaptureSequenceSimTest, AScanDuringAPrescanIsRefusedAndThePrescanGoesOn)
{
    const int before = ImagesOnDisk();
    ASSERT_TRUE(sequence_->Prescan());
    EXPECT_FALSE(sequence_->Scan());
    EXPECT_EQ(ui_.record.MessageTexts(), std::vector<std::string>{"Prescan/Scan in Progress"});
    RunUntilIdle();
    EXPECT_TRUE(sequence_->LastPrescanSucceeded());
    EXPECT_FALSE(sequence_->LastScanStarted());
    EXPECT_EQ(ImagesOnDisk(), before);
}

// Between two images of a series the camera is idle, but the series owns it: a prescan or a
// scan started there would run into the next image.
TEST_P(CaptureSequenceSimTest, CommandsDuringASeriesWaitAreRefusedAndTheSeriesGoesOn)
{
    UseSmallScan();
    CameraPreferences& prefs = context_->CameraSetting().Prefs();
    prefs.timeLapse = true;
    prefs.timeLapseImages = 2;
    prefs.timeLapseSeconds = 5;
    const int before = ImagesOnDisk();
    ASSERT_TRUE(sequence_->Scan());
    for (int i = 0; i < 4000 && sequence_->Phase() != CapturePhase::SeriesWaiting; ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(sequence_->Phase(), CapturePhase::SeriesWaiting);
    EXPECT_EQ(sequence_->State(), CaptureState::Idle);
    EXPECT_FALSE(sequence_->Prescan());
    EXPECT_FALSE(sequence_->Scan());
    EXPECT_EQ(ui_.record.MessageTexts(),
              (std::vector<std::string>{"Scan in Progress", "Scan in Progress"}));
    RunUntilIdle();
    EXPECT_EQ(ImagesOnDisk(), before + 2);
    EXPECT_TRUE(sequence_->ScansSucceeded());
    EXPECT_EQ(sequence_->ImagesRemaining(), 0);
    EXPECT_TRUE(view_.controlsEnabled);
}

// The abort key pressed while the scan is still being sent: the scan is stopped on the camera
// as soon as it runs there, and nothing is left watching it.
TEST_P(CaptureSequenceSimTest, TheAbortKeyDuringTheScanStartStopsTheScanOnTheCamera)
{
    TearDown();
    Open(",speed=0.02");
    UseSmallScan();
    ASSERT_TRUE(sequence_->Scan());
    sequence_->AbortKey();
    RunUntilIdle();
    EXPECT_EQ(sequence_->State(), CaptureState::Idle);
    EXPECT_FALSE(sequence_->ScansSucceeded());
    EXPECT_TRUE(view_.controlsEnabled);
    EXPECT_EQ(context_->Camera().QueryStatus(), 0);
    EXPECT_TRUE(ui_.record.MessageTexts().empty()) << ui_.record.MessageTexts().front();
    ASSERT_TRUE(sequence_->Scan()) << "the next scan starts";
    RunUntilIdle();
    EXPECT_TRUE(sequence_->ScansSucceeded());
}

TEST_P(CaptureSequenceSimTest, ScansOfMoreThan65000LinesAreRefused)
{
    EXPECT_EQ(CaptureSequence::ScanProgressRow(0, 0, 12, 0, 11), 0);
    QVSize& size = context_->Size();
    size.SetPanoramaLines(200000);
    size.SetResolutionNumber(size.GetSensorGeometry().lowestStep);
    size.FullField();
    ASSERT_GT(size.NumberOfLines(), 65000);
    EXPECT_FALSE(sequence_->Scan());
    EXPECT_EQ(ui_.record.MessageTexts(),
              std::vector<std::string>{
                  "The requested scan size exceeds the maximum number of lines (65000)."});
    EXPECT_EQ(sequence_->State(), CaptureState::Idle);
}

// A scan that cannot end normally ends all the same, within its bound, with one message; the
// series stops, the controls come back and the camera answers the next command.
class CaptureSequenceFailureTest : public CaptureSequenceSimTest {
protected:
    int Count(const std::string& command) const
    {
        const auto received = context_->Simulator()->ReceivedCommands();
        return static_cast<int>(std::count(received.begin(), received.end(), command));
    }
    void StartSeriesOfThree()
    {
        UseSmallScan();
        context_->Exposure().SetLineTimeIndex(
            static_cast<std::int16_t>(context_->Exposure().GetShortestIndex()));
        CameraPreferences& prefs = context_->CameraSetting().Prefs();
        prefs.timeLapse = true;
        prefs.timeLapseImages = 3;
        prefs.timeLapseSeconds = 1;
        ASSERT_TRUE(sequence_->Scan());
        RunUntilIdle();
    }
    void ExpectEndedAndUsable()
    {
        EXPECT_FALSE(sequence_->ScansSucceeded());
        EXPECT_EQ(sequence_->State(), CaptureState::Idle);
        EXPECT_EQ(sequence_->ImagesRemaining(), 0);
        EXPECT_TRUE(view_.controlsEnabled);
        EXPECT_EQ(Count("CLT"), 1) << "the series went no further";
    }
};

TEST_P(CaptureSequenceFailureTest, ARefusedStartEndsTheScanWithTheCamerasMessage)
{
    Open(",fault=error:CLT:33");
    const int before = ImagesOnDisk();
    StartSeriesOfThree();
    ExpectEndedAndUsable();
    EXPECT_EQ(ui_.record.MessageTexts(),
              std::vector<std::string>{"Camera Reported Error: The camera disk is full"});
    EXPECT_EQ(ImagesOnDisk(), before);
    EXPECT_EQ(context_->Camera().QueryStatus(), 0);
}

TEST_P(CaptureSequenceFailureTest, AStalledScanIsAbortedOnTheCamera)
{
    Open(",fault=stall:5");
    StartSeriesOfThree();
    ExpectEndedAndUsable();
    EXPECT_EQ(ui_.record.MessageTexts(),
              std::vector<std::string>{"Camera Reported Error: Camera timed out"});
    const std::vector<std::string> texts = ui_.StatusTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Camera not responding"), texts.end());
    EXPECT_EQ(Count("CLA"), 1);
    CameraStatus status;
    ASSERT_EQ(context_->Camera().QueryStatus(status), 0);
    EXPECT_FALSE(status.MotorMoving()) << "the camera no longer scans";
}

TEST_P(CaptureSequenceFailureTest, ALinkLostDuringTheScanIsReportedOnce)
{
    // The same scan as before, on a camera whose link dies a few status queries after the start.
    Open(",fault=stall:5");
    StartSeriesOfThree();
    const auto received = context_->Simulator()->ReceivedCommands();
    const auto start = std::find(received.begin(), received.end(), "CLT");
    ASSERT_NE(start, received.end());
    const auto commands = static_cast<int>(start - received.begin()) + 4;
    ui_.record.Clear();
    Open(",fault=stall:5+drop:" + std::to_string(commands));
    StartSeriesOfThree();
    EXPECT_FALSE(sequence_->ScansSucceeded());
    EXPECT_EQ(sequence_->State(), CaptureState::Idle);
    EXPECT_TRUE(view_.controlsEnabled);
    ASSERT_EQ(ui_.record.MessageTexts().size(), 1u);
    EXPECT_TRUE(ui_.record.MessageTexts().front().starts_with("Camera Reported Error: "));
}

TEST_P(CaptureSequenceFailureTest, AMissingClosingReplyIsReportedAndTheImageKept)
{
    Open(",fault=noreply:CLT");
    UseSmallScan();
    const int before = ImagesOnDisk();
    ASSERT_TRUE(sequence_->Scan());
    RunUntilIdle();
    EXPECT_FALSE(sequence_->ScansSucceeded());
    EXPECT_EQ(sequence_->State(), CaptureState::Idle);
    EXPECT_TRUE(view_.controlsEnabled);
    EXPECT_EQ(ui_.record.MessageTexts(),
              std::vector<std::string>{"Camera Reported Error: Camera timed out"});
    EXPECT_EQ(ImagesOnDisk(), before + 1);
}

INSTANTIATE_TEST_SUITE_P(Links, CaptureSequenceSimTest, ::testing::Values("usb", "scsi"));
INSTANTIATE_TEST_SUITE_P(Links, CaptureSequenceFailureTest, ::testing::Values("usb", "scsi"));

// The sensor's preview row during a scan: the scan's lines scaled to the prescan's step.
TEST(CaptureSequenceTest, ScanProgressRowScalesScanLinesToPreviewLines)
{
    // Step 11 of 12 is the prescan's own: one scan line is one preview line.
    EXPECT_EQ(CaptureSequence::ScanProgressRow(100, 50, 12, 0, 11), 150);
    // At the native step a preview line covers 12 scan lines.
    EXPECT_EQ(CaptureSequence::ScanProgressRow(0, 1200, 12, 0, 0), 100);
    EXPECT_EQ(CaptureSequence::ScanProgressRow(0, 1211, 12, 0, 0), 100);
    // Negative steps (finer than native) scale further.
    EXPECT_EQ(CaptureSequence::ScanProgressRow(0, 1800, 12, -6, -6), 100);
    EXPECT_EQ(CaptureSequence::TimeLapseText(2, 3, 9), "Time Lapse 2 of 3, in 9 seconds");
    EXPECT_EQ(CaptureSequence::ScanningText(1, 3), "Scanning image 1 of 3");
}

}  // namespace
}  // namespace scanora
