#include "acquire/PrescanReadout.h"

#include <string>

#include "acquire/CaptureRequestBuilder.h"
#include "acquire/CaptureView.h"
#include "acquire/PrescanAssembly.h"
#include "acquire/PreviewImage.h"
#include "camera/CapturePreparation.h"
#include "camera/QVCamera.h"
#include "camera/QVExposure.h"
#include "platform/UiPort.h"

namespace scanora {
namespace {

constexpr int kClosingReplyTicks = 600;

// The prescan-time display takes whole seconds.
void ShowPrescanSeconds(UiPort& ui, int seconds)
{
    ui.PostCommand(WindowCommand::SetElapsedTime, std::to_string(seconds));
}

}  // namespace

int PrescanReadout::RemainingSeconds(std::size_t remainingLines, int lineTime)
{
    if (remainingLines < 1 || lineTime <= 0)
        return 0;
    const auto seconds = remainingLines * static_cast<std::size_t>(lineTime) / 3000;
    return static_cast<int>(seconds);
}

bool PrescanReadout::Run(const PreparedCapture& capture, bool super, const std::atomic<bool>& stop)
{
    aborted_ = false;
    QVCamera& camera = parts_.camera;
    if (!camera.IsConnected())
        return false;

    PreviewImage& image = parts_.image;
    if (image.SelectPreviewBuffer(super))
        parts_.view.RefreshAll();
    if (capture.request.blocks.rotatingStage && hooks_.prepareStage)
        hooks_.prepareStage();
    camera.SetAuxMode(false);
    parts_.exposure.PrescanStarted();
    parts_.preparation.BeginCapture(CaptureKind::Prescan);

    PrescanAssembly assembly(image, parts_.displayCurve);
    if (assembly.Begin(capture.plan) != PrescanAssembly::Start::Ready) {
        camera.Errors().ReportNoMemory();
        return false;
    }
    parts_.view.ShowProgressRow(assembly.FirstLine() + PrescanAssembly::kGroupLines);

    if (!parts_.preparation.PrepareCapture(capture.request)) {
        parts_.view.RefreshAll();
        return false;
    }
    if (!ReadLines(capture, assembly, stop))
        return false;
    assembly.Release();
    const bool closed = camera.AwaitReply(kClosingReplyTicks, {});

    parts_.exposure.PrescanFinished();
    if (hooks_.finishStage)
        hooks_.finishStage();
    ShowPrescanSeconds(parts_.ui, parts_.exposure.GetPrescanSeconds());
    if (!aborted_ && hooks_.autoSave)
        hooks_.autoSave();
    parts_.view.ShowProgressRow(-1);
    parts_.view.RefreshAll();
    return closed;
}

bool PrescanReadout::ReadLines(const PreparedCapture& capture, PrescanAssembly& assembly,
                               const std::atomic<bool>& stop)
{
    QVCamera& camera = parts_.camera;
    const int lineTime = capture.lineTime;
    const auto hintMs = static_cast<std::uint32_t>(lineTime * 4 + 120);
    int progress = assembly.FirstLine() + PrescanAssembly::kGroupLines;
    while (!assembly.IsComplete()) {
        // The stop request, or the abort keys held down (polled before every block).
        if (stop.load() || parts_.view.AbortKeysDown()) {
            parts_.preparation.AbortCapture();
            aborted_ = true;
            break;
        }
        if (const std::uint16_t blocks = assembly.BlocksToRead(); blocks > 0) {
            const std::int16_t status = camera.ReadBlocks(blocks, assembly.ReadBuffer(), hintMs);
            if (status != 0) {
                camera.Errors().ReportTransportError(status);
                parts_.view.ShowProgressRow(-1);
                parts_.view.RefreshAll();
                return false;
            }
        }
        const PrescanAssembly::Rows rows = assembly.AssembleGroup();
        if (rows.count > 0)
            parts_.view.ShowPreviewRows(rows.first, rows.count);
        progress += PrescanAssembly::kGroupLines;
        parts_.view.ShowProgressRow(progress);
        parts_.view.ShowPrescanProgress(assembly.LinesPlaced(), assembly.LineCount());
        ShowPrescanSeconds(parts_.ui, RemainingSeconds(assembly.RemainingLines(), lineTime));
    }
    return true;
}

}  // namespace scanora
