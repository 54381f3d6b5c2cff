#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "camera/CameraErrorRecord.h"
#include "camera/CameraModel.h"
#include "camera/CameraReply.h"
#include "camera/CameraStatus.h"
#include "camera/CommandTrace.h"
#include "camera/QVCamComm.h"
#include "platform/BulkDevice.h"
#include "platform/DeviceError.h"
#include "platform/EventLock.h"
#include "platform/ScsiDevice.h"
#include "platform/UiPort.h"

namespace scanora {

// The ways to reach the camera, tried in order: SCSI first, then USB.
struct CameraLinks {
    std::unique_ptr<ScsiDeviceFinder> scsi;  // null: SCSI is not tried
    std::unique_ptr<BulkDeviceFinder> usb;   // null: the USB transport finds nothing
    // Pause between a USB command block and its data phase.
    std::chrono::microseconds usbCommandDelay{2000};
};

// Tunables of the camera object. The defaults are the camera's documented timings.
struct CameraOptions {
    // Sleep between reply polls; unset means 50 ms on USB and 100 ms on SCSI.
    std::optional<std::chrono::milliseconds> pollInterval;
    // Watches every exchange from the first on (for --trace); must outlive the camera.
    CommandTrace* trace = nullptr;
};

// Motor positions of the sensor carriage and the focus drive, in motor steps.
struct CarriagePositions {
    static constexpr int kUpperLimit = 7536;
    static constexpr int kLowerLimit = 4480;
    static constexpr int kMiddle = 4096;
    static constexpr int kPitchPerStep = 3175;  // pitch units per focus motor step
    static constexpr int kFocusUpperLimit = 7536;
    static constexpr int kFocusLowerLimit = 4480;
    static constexpr int kCleaning = 4992;
    static constexpr int kCentre = 4096;
};

// The one object through which the program talks to the camera back: it owns the transport,
// serialises command exchanges with its lock, checks replies, turns failures into the error
// record, and holds the camera's identity and last status.
class QVCamera {
public:
    static constexpr int kDefaultTimeoutTicks = 60;
    static constexpr int kStatusTimeoutTicks = 200;
    static constexpr int kSendLockMs = 1000;
    static constexpr int kReplyLockMs = 2000;
    static constexpr std::string_view kNotRespondingText = "Camera not responding";
    static constexpr std::string_view kLineTimeTooShortText =
        "Line time is too short for the specified focal length/diameter. Use a longer line time "
        "or increase the focal length/diameter.";

    // Connects over the first link that answers (SCSI, then USB) and identifies the camera.
    QVCamera(CameraLinks links, UiPort& ui, CameraOptions options = {});
    // Works over a transport that is already made, then identifies the camera.
    QVCamera(std::unique_ptr<QVCamComm> transport, UiPort& ui, CameraOptions options = {});
    ~QVCamera();
    QVCamera(const QVCamera&) = delete;
    QVCamera& operator=(const QVCamera&) = delete;

    // Model parameters.
    [[nodiscard]] int GetSensorWidth() const;
    [[nodiscard]] int GetMaxLines() const;
    [[nodiscard]] int GetMaxSizeStep() const;
    [[nodiscard]] int GetPixelPitch() const;
    [[nodiscard]] int GetMinSizeStep() const;
    [[nodiscard]] int GetMaxSizeStepLess1() const { return GetMaxSizeStep() - 1; }
    // The model's shortest line-time index, 3 higher on USB. With the new firmware every line
    // time is usable whatever this says.
    [[nodiscard]] int GetMaxLineTimeIndex() const;
    [[nodiscard]] std::string GetModelName() const;
    [[nodiscard]] std::uint16_t GetModelCode() const;
    [[nodiscard]] bool HasNewFirmware() const;
    [[nodiscard]] bool IsOrbiscan() const { return GetModelCode() == 2; }

    // Sends `text` and waits up to `timeoutTicks` (1/60 s; negative = 60, 0 = no reply awaited)
    // for a reply starting with `expectedPrefix` (empty = any reply). True when the reply was
    // accepted; failures are recorded and shown.
    bool Command(std::string_view text, std::string_view expectedPrefix = {},
                 int timeoutTicks = -1);
    // As Command, and hands back this command's own reply. Callers that read the reply use
    // this: another thread may send its own command as soon as this exchange is over.
    CameraReply Exchange(std::string_view text, std::string_view expectedPrefix = {},
                         int timeoutTicks = -1);
    // Whether the failures of an exchange are shown to the user or only recorded.
    enum class Reporting { Show, Quiet };
    // As Exchange; a failure is only recorded when `reporting` is Quiet, for a caller that has
    // shown one failure of a series of exchanges already.
    CameraReply Exchange(std::string_view text, std::string_view expectedPrefix, int timeoutTicks,
                         Reporting reporting);
    // Waits for the reply to a command already sent; as Command.
    bool AwaitReply(int timeoutTicks, std::string_view expectedPrefix);
    // True when the camera holds a reply that nobody has read yet: the closing reply of a
    // capture, or the refusal of its start. Asks once, without waiting.
    bool ReplyWaiting();
    // Sends `text` and reads the reply's number after its two-character prefix as hexadecimal.
    std::uint16_t QueryHex(std::string_view text, std::string_view expectedPrefix);
    // The text of the last reply of any thread's exchange (empty after a failure or an error
    // reply); for a single-threaded caller and for diagnosis.
    [[nodiscard]] std::string ReplyText() const;
    [[nodiscard]] std::uint16_t GetLastCameraError() const { return lastCameraError_.load(); }
    [[nodiscard]] std::int16_t GetLastTransportStatus() const { return lastTransport_.load(); }
    // The command most recently sent, for diagnosis.
    [[nodiscard]] std::string LastCommand() const;

    // Identity.
    std::uint16_t QueryModel();
    void ApplyModel(std::uint16_t code);
    double GetFirmwareVersion();
    std::uint16_t GetSerialNumber();

    // Status. QueryStatus: 0 ok, -1 no camera or camera error, -2 empty reply, -3 failed.
    int QueryStatus();
    // As QueryStatus, and hands back the words of this query (the last words known when it
    // failed), which another thread's query cannot change or mix with its own.
    int QueryStatus(CameraStatus& status);
    // The words of the last status query of any thread.
    [[nodiscard]] CameraStatus LastStatus() const;
    [[nodiscard]] std::uint16_t GetStatusFlags() const;
    [[nodiscard]] bool GetStatusBit4() const;
    [[nodiscard]] std::uint32_t GetDiskFreeMB() const;
    [[nodiscard]] std::uint32_t GetStatusWord1() const;
    [[nodiscard]] std::uint16_t GetStatusWord2() const;
    [[nodiscard]] std::uint32_t GetStatusWord(int index) const;
    // The same after a fresh QueryStatus.
    std::uint16_t QueryStatusFlags();
    // The filtered supply voltage in volts after a fresh query; 0.0 when the query failed.
    double QueryVoltage();
    // Feeds the raw voltage of the last query into the running filter; returns volts.
    double FilterVoltage();
    // Feeds the raw voltage of `status` into the running filter; returns volts.
    double FilterVoltage(const CameraStatus& status);
    bool QueryStatusBit4();
    std::uint32_t QueryDiskFreeMB();
    std::uint32_t QueryStatusWord1();
    std::uint16_t QueryStatusWord2();

    // Number of directory slots on the camera disk ("CDQ"); 0 answered reads as 256.
    int GetDirectoryCount();
    // Switches the motor output: on = the stage, off = the sensor carriage.
    bool SetAuxMode(bool on);
    [[nodiscard]] int AuxModeState() const { return auxMode_.load(); }
    // Erases the camera disk.
    bool InitializeDisk();
    // The raw firmware version reply for the diagnostics window.
    std::string GetVersionText();
    // Shows "Camera not responding" in the status pane.
    void ReportNotResponding();

    // Data phases, passed to the transport and shown in the trace. Only one runs at a time:
    // the callers hold the camera for the whole transfer.
    std::int32_t ReadData(std::uint8_t selector, std::span<std::uint8_t> buffer,
                          std::uint16_t blockCount, std::uint16_t chunkIndex);
    std::int16_t WriteTable(std::span<const std::uint8_t, QVCamComm::kTableSize> table);
    std::int16_t ReadBlocks(std::uint16_t count, std::span<std::uint8_t> buffer,
                            std::uint32_t timeoutHintMs);
    std::int16_t TransferBlock(std::uint8_t index,
                               std::span<std::uint8_t, QVCamComm::kBlockSize> buffer, bool write);

    // Connection.
    [[nodiscard]] bool IsConnected() const;
    [[nodiscard]] TransportKind GetTransportKind() const { return transport_->Kind(); }
    QVCamComm& Transport() { return *transport_; }
    // Calls `changed` (on a thread of its own) the moment the camera is plugged in or pulled
    // out, where the link reports it; null otherwise. The camera poll looks then, not later.
    std::unique_ptr<LinkWatch> WatchLink(LinkChanged changed)
    {
        return transport_->WatchLink(std::move(changed));
    }
    // Why the camera could not be opened, when it could not.
    [[nodiscard]] const DeviceError& OpenError() const { return openError_; }
    // Looks for the camera again (the reconnection attempt while there is none). The attempt
    // shows the user nothing; a link that opens but does not answer is left disconnected.
    void Reconnect();

    CameraErrorRecord& Errors() { return errors_; }
    [[nodiscard]] const CameraErrorRecord& Errors() const { return errors_; }
    UiPort& Ui() { return ui_; }

    // Asks whether a rotating stage is in use; error code 3 then means a too short line time.
    void SetRotatingStageProbe(std::function<bool()> probe);
    // Watches every exchange (for --trace); null to stop.
    void SetTrace(CommandTrace* trace);
    [[nodiscard]] std::chrono::milliseconds PollInterval() const { return pollInterval_; }

private:
    // What a reply wait ended in; reported once the lock is released.
    struct Outcome {
        enum class Report { None, Timeout, Transport, CameraError, LineTimeTooShort, BadReply };
        bool accepted = false;
        Report report = Report::None;
        int value = 0;
        std::string reply;  // the reply as delivered, up to its full length
    };

    // Reads the model and applies it; false when the camera did not answer the model query.
    bool Identify(Reporting reporting);
    std::uint16_t QueryModel(Reporting reporting, bool& linkFailed);
    void ApplyModel(std::uint16_t code, Reporting reporting);
    // The model table's row for `code` and the line-time limit of this transport.
    void ApplyModelRow(std::uint16_t code);
    Outcome SendAndWait(std::string_view text, std::string_view expectedPrefix, int timeoutTicks);
    Outcome WaitForReply(int timeoutTicks, std::string_view expectedPrefix);
    CameraReply Conclude(Outcome outcome, Reporting reporting);
    // Logs a failed exchange: the command, the link, what went wrong and the reply.
    void LogFailure(const Outcome& outcome, std::string_view replyText, bool shown) const;
    void StoreStatus(const CameraStatus& status);
    void SetReplyText(std::string text);
    void TraceData(std::string_view operation, CommandTrace::Direction direction,
                   std::size_t bytes);
    static std::unique_ptr<QVCamComm> ConnectTransport(CameraLinks& links, DeviceError& why);

    UiPort& ui_;
    CameraErrorRecord errors_;
    EventLock lock_;
    std::unique_ptr<QVCamComm> transport_;
    DeviceError openError_;
    std::chrono::milliseconds pollInterval_;

    mutable std::mutex textMutex_;  // guards the texts and the model
    std::string replyText_;
    std::string lastCommand_;
    CameraModel model_;
    std::atomic<int> maxLineTimeIndex_{0};
    std::atomic<bool> newFirmware_{true};

    std::atomic<std::uint16_t> lastCameraError_{0};
    std::atomic<std::int16_t> lastTransport_{0};
    std::array<std::atomic<std::uint32_t>, 5> status_{};
    std::atomic<std::uint16_t> filteredVoltage_{0};
    std::atomic<int> auxMode_{0};

    std::function<bool()> rotatingStageProbe_;
    std::atomic<CommandTrace*> trace_{nullptr};
};

}  // namespace scanora
