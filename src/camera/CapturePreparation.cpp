#include "camera/CapturePreparation.h"

#include <array>
#include <cstdio>
#include <memory>
#include <new>
#include <thread>

#include "camera/QVCamera.h"
#include "camera/SensorCarriage.h"
#include "camera/TablePlane.h"
#include "imaging/QVToneCurve.h"

namespace scanora {
namespace {

constexpr int kAbortTicks = 500;

std::string Hex4Command(std::string_view prefix, unsigned value)
{
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.4X\r", value & 0xFFFF);
    return std::string(prefix) + buffer.data();
}

}  // namespace

CapturePreparation::CapturePreparation(QVCamera& camera, Sleeper sleep)
    : camera_(camera), sleep_(std::move(sleep))
{
    if (!sleep_)
        sleep_ = [](std::chrono::milliseconds delay) { std::this_thread::sleep_for(delay); };
}

void CapturePreparation::BeginCapture(CaptureKind kind)
{
    aborted_.store(false);
    if (kind == CaptureKind::Scan)
        scanRunning_.store(true);
}

bool CapturePreparation::LoadSensorTables()
{
    static constexpr std::array<std::string_view, 14> kCommon = {
        "CFR00\r", "CLD\r",   "CFR02\r", "CLL0C\r", "CFR03\r", "CLL00\r", "CFR04\r",
        "CLL0C\r", "CFR05\r", "CLL01\r", "CFR06\r", "CLL0C\r", "CFR07\r", "CLL02\r"};
    static constexpr std::array<std::string_view, 4> kUsbExtra = {"CFR08\r", "CLL0C\r", "CFR09\r",
                                                                  "CLL03\r"};
    // Only the last command's answer decides, as each reply wait starts from no error. A camera
    // that refuses them (busy with a scan it still runs) is shown once for the whole series,
    // not once a command.
    std::uint16_t lastError = 0;
    bool shown = false;
    const auto send = [&](std::string_view command) {
        const CameraReply reply = camera_.Exchange(
            command, {}, -1, shown ? QVCamera::Reporting::Quiet : QVCamera::Reporting::Show);
        shown = shown || !reply.accepted;
        lastError = reply.cameraError;
    };
    for (const std::string_view command : kCommon) send(command);
    if (camera_.GetTransportKind() == TransportKind::Usb) {
        for (const std::string_view command : kUsbExtra) send(command);
    }
    return lastError == 0;
}

bool CapturePreparation::LoadCaptureTables(TableMode mode, const QVToneCurve* toneCurve)
{
    if (camera_.GetTransportKind() == TransportKind::Usb)
        return true;
    if (mode == TableMode::Curve8Bit) {
        if (!WriteTablePlane(0, toneCurve))
            return false;
        camera_.Command("CLL04\r");
        camera_.Command("CLL05\r");
        camera_.Command("CLL06\r");
        return true;
    }
    static constexpr std::array<std::string_view, 4> kLoads = {"CLL08\r", "CLL09\r", "CLL0A\r",
                                                               "CLL0B\r"};
    const int first = mode == TableMode::Curve16Bit ? 5 : 1;
    for (int lane = 0; lane < 4; ++lane) {
        if (!WriteTablePlane(first + lane, toneCurve))
            return false;
        camera_.Command(kLoads[static_cast<std::size_t>(lane)]);
    }
    return true;
}

bool CapturePreparation::WriteTablePlane(int plane, const QVToneCurve* toneCurve)
{
    if (!camera_.IsConnected())
        return false;
    const std::size_t needed = TablePlane::ToneEntriesNeeded(plane);
    try {
        auto bytes = std::make_unique<std::array<std::uint8_t, TablePlane::kSize>>();
        std::unique_ptr<QVToneCurve> curve;
        std::span<const std::uint16_t> tone;
        if (needed > 0) {
            if (toneCurve == nullptr)
                return false;
            curve = std::make_unique<QVToneCurve>(*toneCurve);
            curve->SetRawBits(plane == 0 ? 13 : 14);
            curve->SetSixteenBit(plane != 0);
            curve->BuildRawTable();
            tone = curve->RawTable().first(needed);
        }
        if (!TablePlane::Build(plane, tone, *bytes))
            return false;
        return camera_.WriteTable(*bytes) == 0;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CapturePreparation::SendBlock(const std::string& block)
{
    // A block that went unanswered is a failure too, not only one the camera refused.
    const CameraReply reply = camera_.Exchange(block);
    return reply.accepted && reply.cameraError == 0;
}

bool CapturePreparation::UploadParameters(const CaptureRequest& request)
{
    CaptureBlockInputs blocks = request.blocks;
    blocks.tableMode = BlockTableMode(camera_.GetTransportKind() == TransportKind::Usb,
                                      blocks.none14, blocks.use16BitCurve);
    uploadedMode_.store(blocks.tableMode);
    if (!SendBlock(ParameterBlocks::BuildH00(blocks)) ||
        !SendBlock(ParameterBlocks::BuildH01(blocks)))
        return false;
    const std::string combined = ParameterBlocks::CombineTexts(
        ParameterBlocks::BuildDescription(blocks, request.description), request.userText);
    {
        const std::lock_guard lock(notesMutex_);
        uploadedNotes_ = combined;
    }
    return SendBlock(ParameterBlocks::BuildH02(combined)) &&
           SendBlock(ParameterBlocks::BuildH03(combined));
}

std::string CapturePreparation::UploadedNotes() const
{
    const std::lock_guard lock(notesMutex_);
    return uploadedNotes_;
}

int CapturePreparation::SetupTimeoutTicks(int effectiveLineTime)
{
    return (effectiveLineTime + 72) * 5;
}

bool CapturePreparation::PrepareCapture(const CaptureRequest& request)
{
    if (IsAborted())
        return true;
    if (!LoadSensorTables() || !LoadCaptureTables(request.tableMode, request.toneCurve) ||
        !UploadParameters(request))
        return false;
    if (!camera_.Command("CLB\r"))
        return false;
    const int requested = request.blocks.requestedLineTime;
    if (request.blocks.minLineTime > requested)
        camera_.Command(Hex4Command("EE", static_cast<unsigned>(requested)));
    if (!camera_.Command("CLP\r", {}, SetupTimeoutTicks(request.effectiveLineTime)))
        return false;
    if (!camera_.Command("CLT\r", {}, 0))
        return false;
    sleep_(camera_.GetTransportKind() == TransportKind::Scsi ? std::chrono::milliseconds(500)
                                                             : std::chrono::milliseconds(5));
    return true;
}

void CapturePreparation::AbortCapture()
{
    camera_.Command("CLA\r", "#OK", kAbortTicks);
    scanRunning_.store(false);
    aborted_.store(true);
}

void CapturePreparation::MoveCarriage(std::uint16_t position)
{
    SensorCarriage(camera_).MoveCarriage(position);
}

void CapturePreparation::CentreCarriage()
{
    SensorCarriage(camera_).CentreCarriage();
}

void CapturePreparation::HomeCarriage()
{
    SensorCarriage(camera_).HomeCarriage();
}

}  // namespace scanora
