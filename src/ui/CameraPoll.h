#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/MLooper.h"

namespace scanora {
class QVCamera;
}

namespace scanora::ui {

// What one round of the camera poll found.
struct CameraPollResult {
    enum class Icon { NoCamera, Orbiscan, Camera };
    std::string modelName;
    Icon icon = Icon::NoCamera;
    bool statusRead = false;  // voltage and disk space below are fresh
    int voltageHundredths = 0;
    std::uint32_t diskFreeMB = 0;
};

// The control panel's poll of the camera, every four seconds on its own thread (never the GUI
// thread): the model name and icon, a reconnection attempt while there is no camera, and, while
// status polling is on, the supply voltage and the free space on the camera's disk. A status
// query that fails switches status polling off and marks the link disconnected; the link coming
// back switches it on again. Each round's result goes to `report` on the poll thread.
class CameraPoll final : public MLooper {
public:
    static constexpr std::string_view kNoCamera = "No Camera";

    using Report = std::function<void(const CameraPollResult&)>;
    // Whether a prescan or scan runs: the poll then leaves the camera alone.
    using Busy = std::function<bool()>;

    CameraPoll(QVCamera& camera, Busy busy, Report report);
    ~CameraPoll() override;

    // Runs on the poll thread each time the camera is found again after it was lost, before
    // the round's status query (a camera switched off forgets what it was told). Set before
    // Start().
    void SetReconnected(std::function<void()> reconnected)
    {
        reconnected_ = std::move(reconnected);
    }

    void Iterate() override;
    // Whether a camera answers on the link: connected and identified.
    [[nodiscard]] static bool Present(const QVCamera& camera);
    [[nodiscard]] bool StatusPolling() const { return statusPolling_.load(); }
    // True once a round has run.
    [[nodiscard]] bool HasRun() const { return ran_.load(); }

private:
    QVCamera& camera_;
    Busy busy_;
    Report report_;
    std::function<void()> reconnected_;
    std::atomic<bool> statusPolling_{true};
    std::atomic<bool> ran_{false};
};

}  // namespace scanora::ui
