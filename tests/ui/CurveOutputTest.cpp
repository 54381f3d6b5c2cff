// What the desktop program shows and saves through the tone curve: without a curve the raw
// samples, and a curve file imported in the window gives the same file as the terminal
// program's --curve.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QMetaObject>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "UiTestSupport.h"
#include "acquire/PreviewImage.h"
#include "camsim/SceneRendering.h"
#include "camsim/SimCamera.h"
#include "context/AppContext.h"
#include "imaging/QVCurveEditor.h"
#include "output/FileTiffInput.h"
#include "output/TiffReader.h"
#include "settings/QVSize.h"
#include "settings/SettingLists.h"
#include "support/ProcessRunner.h"
#include "ui/CTabControls.h"
#include "ui/MainControl.h"
#include "ui/PPColor.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// A file's pixel data, and its depth.
struct Pixels {
    std::vector<std::uint8_t> bytes;
    int bits = 0;
};

Pixels ReadPixels(const std::filesystem::path& path)
{
    Pixels pixels;
    FileTiffInput input;
    EXPECT_TRUE(input.Open(path)) << path;
    TiffReader reader(input);
    EXPECT_TRUE(reader.ReadImage(pixels.bytes)) << reader.Error();
    pixels.bits = reader.Description().bitsPerSample;
    return pixels;
}

std::vector<std::uint16_t> Words(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint16_t> words(bytes.size() / 2);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return words;
}

// Answers the file dialog the next command opens with `path`.
void AnswerFileDialog(const std::filesystem::path& path)
{
    QTimer::singleShot(0, [path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(QString::fromStdString(path.parent_path().string()));
        dialog->selectFile(QString::fromStdString(path.string()));
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

// Saves the preview with the Save Prescan command, as the user does.
void SavePrescan(QVMainFrame& frame, const std::filesystem::path& path)
{
    frame.UpdateCommands();
    AnswerFileDialog(path);
    ASSERT_TRUE(frame.Execute(QVMainFrame::kSavePrescan));
    ASSERT_TRUE(std::filesystem::exists(path));
}

// The low eight bits of every sample: what the display shows without a curve while the profile
// is embedded.
std::vector<std::uint8_t> LowBytes(std::span<const std::uint16_t> samples)
{
    std::vector<std::uint8_t> bytes(samples.size());
    std::ranges::transform(samples, bytes.begin(),
                           [](std::uint16_t s) { return static_cast<std::uint8_t>(s & 0xFF); });
    return bytes;
}

// The display copy (whose buffer may run on past the image) holds `expected`.
bool DisplayIs(const PreviewImage& image, const std::vector<std::uint8_t>& expected)
{
    const auto display = image.DisplayCopy();
    return display.size() >= expected.size() &&
           std::ranges::equal(display.first(expected.size()), expected);
}

TEST(CurveOutputTest, NoneFourteenBitShowsAndSavesTheRawSamples)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    AppContext& context = started.Context();
    QTest::mouseClick(frame.Tabs().ColorPage().EmbedBox(), Qt::LeftButton);
    ASSERT_TRUE(context.CameraSetting().Prefs().embedICCProfile);
    test::PrescanFromPanel(frame);

    const PreviewImage& image = frame.View().Image();
    const auto shown = image.CurrentSamples();
    const std::vector<std::uint16_t> samples(shown.begin(), shown.end());
    const std::vector<std::uint8_t> raw = LowBytes(samples);
    const auto converted = [&] {
        const auto display = image.DisplayCopy();
        return display.size() >= raw.size() &&
               std::ranges::count(display.first(raw.size()), std::uint8_t{0}) < std::ssize(raw) / 2;
    };
    ASSERT_TRUE(QTest::qWaitFor(converted, 5000));
    QTest::qWait(200);  // the rest of the renderer's tiles
    EXPECT_FALSE(DisplayIs(image, raw)) << "through the curve before";
    const QString curveFileSize = frame.Panel().Text(MainControl::kFileSize);

    // "None 14 bit" is the first curve record; it is applied as the tone page's settings box
    // applies the record chosen in it.
    SettingLists& lists = context.Lists();
    ASSERT_EQ(lists.List<CurveSetting>().Get(1)->GetName(), "None 14 bit");
    lists.Select<CurveSetting>(1, context.Tools());
    EXPECT_TRUE(context.CurveEditor().IsNone14());
    EXPECT_TRUE(QTest::qWaitFor([&] { return DisplayIs(image, raw); }, 5000));
    // 16-bit output: the file size doubles.
    EXPECT_NE(frame.Panel().Text(MainControl::kFileSize), curveFileSize);

    // The saved prescan holds the preview's 16-bit samples unturned, which are the camera's.
    const std::filesystem::path path = started.Folder() / "raw.tif";
    SavePrescan(frame, path);
    const Pixels saved = ReadPixels(path);
    EXPECT_EQ(saved.bits, 16);
    const auto recipe = context.Simulator()->LastCaptureRecipe();
    ASSERT_TRUE(recipe.has_value());
    EXPECT_TRUE(Words(saved.bytes) == camsim::RenderCapture(*recipe).samples);

    // A curve again: the preview goes through it and the file size is the curve's.
    lists.Select<CurveSetting>(2, context.Tools());
    EXPECT_FALSE(context.CurveEditor().IsNone14());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !DisplayIs(image, raw); }, 5000));
    EXPECT_EQ(frame.Panel().Text(MainControl::kFileSize), curveFileSize);
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
}

// The same preferences with "Negative" on, the same camera and the same curve file: Import
// Curve and a prescan saved in the window give the pixels of the terminal program's prescan
// with --curve, at 8 and at 16 bits.
TEST(CurveOutputTest, ImportCurveGivesTheFileTheCurveOptionGives)
{
    StartedApp started;
    const std::filesystem::path folder = started.Folder();
    const std::filesystem::path windowPrefs = folder / "Scanora Prefs";
    const std::filesystem::path terminalPrefs = folder / "terminal prefs";
    const scanora::test::ProcessResult reset = scanora::test::RunProcess(
        {SCANORA_CLI_PATH, "--prefs", terminalPrefs.string(), "prefs", "reset"});
    ASSERT_EQ(reset.exitCode, 0) << reset.err;
    std::string text = ReadText(terminalPrefs);
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"Negative false", "Negative true"},
          {"BlackOnTop false", "BlackOnTop true"}}) {
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
            text.replace(at, from.size(), to);
    }
    std::ofstream(terminalPrefs, std::ios::binary | std::ios::trunc) << text;
    std::ofstream(windowPrefs, std::ios::binary) << text;
    const std::filesystem::path curve = folder / "Contrast.cur";
    std::ofstream(curve, std::ios::binary) << "5 0 0 64 40 128 120 192 210 250 255 ";

    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QVCurveEditor& editor = started.Context().CurveEditor();
    ASSERT_TRUE(editor.IsNegative());
    ASSERT_TRUE(editor.IsBlackOnTop());
    frame.UpdateCommands();
    AnswerFileDialog(curve);
    ASSERT_TRUE(frame.Execute(QVMainFrame::kImportCurve));
    // The terminal program saves the whole prescan; the window saves its crop, so the crop is
    // made the whole field (the panel's scan-area button with Alt).
    started.Context().Size().FullField();
    ASSERT_EQ(editor.Handles().size(), 5U);
    EXPECT_TRUE(editor.IsNegative()) << "a curve file brings handles only";
    EXPECT_TRUE(editor.IsBlackOnTop());
    test::PrescanFromPanel(frame);

    for (const bool sixteen : {false, true}) {
        SCOPED_TRACE(sixteen ? "16-bit" : "8-bit");
        started.Context().CameraSetting().Prefs().use16BitCurve = sixteen;
        const std::string depth = sixteen ? "Use16BitCurve true" : "Use16BitCurve false";
        std::string terminal = text;
        terminal.replace(terminal.find("Use16BitCurve false"), 19, depth);
        std::ofstream(terminalPrefs, std::ios::binary | std::ios::trunc) << terminal;

        const std::filesystem::path windowFile = folder / (depth + " window.tif");
        SavePrescan(frame, windowFile);
        const std::filesystem::path terminalFile = folder / (depth + " terminal.tif");
        const scanora::test::ProcessResult prescan = scanora::test::RunProcess(
            {SCANORA_CLI_PATH, "--prefs", terminalPrefs.string(), "--camera", "sim:speed=0",
             "prescan", "--curve", curve.string(), "-o", terminalFile.string()});
        ASSERT_EQ(prescan.exitCode, 0) << prescan.err;

        const Pixels window = ReadPixels(windowFile);
        const Pixels terminalPixels = ReadPixels(terminalFile);
        EXPECT_EQ(window.bits, sixteen ? 16 : 8);
        EXPECT_EQ(terminalPixels.bits, window.bits);
        ASSERT_FALSE(window.bytes.empty());
        EXPECT_TRUE(window.bytes == terminalPixels.bytes);
    }
    EXPECT_TRUE(started.messages.empty()) << started.messages.front().toStdString();
}

}  // namespace
}  // namespace scanora::ui
