#include "ui/CameraPoll.h"

#include <cmath>

#include "camera/QVCamera.h"

namespace scanora::ui {

namespace {

constexpr std::uint16_t kOrbiscanModel = 2;
constexpr int kStatusFailed = -3;

}  // namespace

CameraPoll::CameraPoll(QVCamera& camera, Busy busy, Report report)
    : camera_(camera), busy_(std::move(busy)), report_(std::move(report))
{
}

CameraPoll::~CameraPoll()
{
    StopAndWait();
}

bool CameraPoll::Present(const QVCamera& camera)
{
    return camera.IsConnected() && camera.GetModelName() != kNoCamera;
}

void CameraPoll::Iterate()
{
    if (busy_ && busy_())
        return;

    // A link that went away reads as no camera, whatever model it last identified; the poll
    // then keeps looking for it.
    auto currentName = [this] {
        return camera_.IsConnected() ? camera_.GetModelName() : std::string(kNoCamera);
    };
    CameraPollResult result;
    result.modelName = currentName();
    if (result.modelName == kNoCamera) {
        camera_.Reconnect();
        result.modelName = currentName();
        if (result.modelName != kNoCamera) {
            statusPolling_.store(true);
            if (reconnected_)
                reconnected_();
        }
    }
    if (result.modelName == kNoCamera)
        result.icon = CameraPollResult::Icon::NoCamera;
    else if (camera_.GetModelCode() == kOrbiscanModel)
        result.icon = CameraPollResult::Icon::Orbiscan;
    else
        result.icon = CameraPollResult::Icon::Camera;

    if (statusPolling_.load() && result.modelName != kNoCamera) {
        CameraStatus status;
        // A camera the system saw pulled out is not asked: nothing failed, it is gone, and the
        // panel's "No Camera" says so.
        const int outcome =
            camera_.Transport().LinkGone() ? kStatusFailed : camera_.QueryStatus(status);
        if (outcome == kStatusFailed) {
            statusPolling_.store(false);
            camera_.Transport().SetConnected(false);
            result.modelName = kNoCamera;
            result.icon = CameraPollResult::Icon::NoCamera;
        } else {
            result.voltageHundredths =
                static_cast<int>(std::trunc(camera_.FilterVoltage(status) * 100.0 + 0.5));
            result.diskFreeMB = status.DiskFreeMB();
            result.statusRead = true;
        }
    }
    ran_.store(true);
    if (report_)
        report_(result);
}

}  // namespace scanora::ui
