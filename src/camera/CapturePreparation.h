#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "camera/ParameterBlocks.h"

namespace scanora {

class QVCamera;
class QVToneCurve;

// What one capture's preparation needs, gathered by the capture thread.
struct CaptureRequest {
    // The mode the tables are loaded with (0 for a prescan, ScanTableMode for a scan).
    TableMode tableMode = TableMode::Linear;
    // The current curve setting's tone curve (its handles and negative flag); needed for the
    // tables of modes 1 and 2 on SCSI. Borrowed for the call.
    const QVToneCurve* toneCurve = nullptr;
    // The block contents; their table mode is set by UploadParameters.
    CaptureBlockInputs blocks;
    DescriptionInputs description;
    std::string_view userText;
    // The effective line time (1/3000 s) that bounds the camera's set-up time.
    int effectiveLineTime = 0;
};

// The camera side of getting a capture under way: lookup tables, the four parameter blocks, the
// electronic exposure and the start, plus the abort command and the carriage moves. It works
// through the camera object, which serialises every exchange.
class CapturePreparation {
public:
    using Sleeper = std::function<void(std::chrono::milliseconds)>;

    // `sleep` waits after the start command (real sleep by default; tests pass their own).
    explicit CapturePreparation(QVCamera& camera, Sleeper sleep = {});

    // Runs the whole set-up; true at once when the capture was aborted meanwhile.
    bool PrepareCapture(const CaptureRequest& request);
    bool LoadSensorTables();
    bool LoadCaptureTables(TableMode mode, const QVToneCurve* toneCurve);
    // Builds table plane `plane` (0..8) from the tone curve and writes it.
    bool WriteTablePlane(int plane, const QVToneCurve* toneCurve);
    bool UploadParameters(const CaptureRequest& request);

    // Stops the running capture ("CLA") and marks it aborted.
    void AbortCapture();
    [[nodiscard]] bool IsAborted() const { return aborted_.load(); }
    // A new capture starts: clears the aborted flag and sets the running kind.
    void BeginCapture(CaptureKind kind);
    [[nodiscard]] bool IsScanRunning() const { return scanRunning_.load(); }
    void SetScanRunning(bool running) { scanRunning_.store(running); }
    // The table mode of the last upload (what the blocks said).
    [[nodiscard]] TableMode UploadedTableMode() const { return uploadedMode_.load(); }
    // The capture notes of the last upload: the description and the user's text as the camera
    // was given them; empty before the first capture.
    [[nodiscard]] std::string UploadedNotes() const;

    // The reply time-out of "CLP" in ticks: (line time + 72) x 5.
    [[nodiscard]] static int SetupTimeoutTicks(int effectiveLineTime);

    void MoveCarriage(std::uint16_t position);
    void CentreCarriage();
    void HomeCarriage();

private:
    bool SendBlock(const std::string& block);

    QVCamera& camera_;
    Sleeper sleep_;
    std::atomic<bool> aborted_{false};
    std::atomic<bool> scanRunning_{false};
    std::atomic<TableMode> uploadedMode_{TableMode::Linear};
    mutable std::mutex notesMutex_;
    std::string uploadedNotes_;
};

}  // namespace scanora
