#include "camera/QVCamera.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "camera/CommandTrace.h"
#include "camera/QVSCSI.h"
#include "camera/QVUSB.h"
#include "platform/LinkError.h"
#include "platform/TickClock.h"

namespace scanora {

namespace {

constexpr std::chrono::milliseconds kUsbPollInterval{50};
constexpr std::chrono::milliseconds kScsiPollInterval{100};
constexpr int kNewFirmwareHundredths = 414;  // 4.14
constexpr int kUsbLineTimeBonus = 3;
constexpr int kMotorTimeoutTicks = 600;
constexpr std::chrono::milliseconds kFirstPollPause{2};

// The number after a reply's two-character prefix, read as hexadecimal (0 when there is none).
unsigned long ParseHexAfterPrefix(std::string_view reply)
{
    if (reply.size() <= 2)
        return 0;
    const std::string digits(reply.substr(2));
    return std::strtoul(digits.c_str(), nullptr, 16);
}

}  // namespace

std::unique_ptr<QVCamComm> QVCamera::ConnectTransport(CameraLinks& links, DeviceError& why)
{
    DeviceError scsiWhy;
    if (links.scsi) {
        auto scsi = std::make_unique<QVSCSI>(std::move(links.scsi));
        scsi->Open();
        if (scsi->IsConnected())
            return scsi;
        scsiWhy = scsi->OpenError();
    }
    auto usb = std::make_unique<QVUSB>(std::move(links.usb), links.usbCommandDelay);
    usb->Open();
    why = usb->OpenError();
    // A SCSI device that refused us says more than a USB bus with nothing on it.
    if (why.kind == DeviceError::Kind::NotPresent && scsiWhy.IsError() &&
        scsiWhy.kind != DeviceError::Kind::NotPresent)
        why = scsiWhy;
    return usb;
}

QVCamera::QVCamera(CameraLinks links, UiPort& ui, CameraOptions options) : ui_(ui), errors_(ui)
{
    trace_.store(options.trace);
    transport_ = ConnectTransport(links, openError_);
    if (!IsConnected() && !openError_.message.empty())
        ui_.Log(LogLevel::Warning, LogCategory::Camera, "no camera link: " + openError_.message);
    pollInterval_ = options.pollInterval.value_or(
        transport_->Kind() == TransportKind::Usb ? kUsbPollInterval : kScsiPollInterval);
    Identify(Reporting::Show);
}

QVCamera::QVCamera(std::unique_ptr<QVCamComm> transport, UiPort& ui, CameraOptions options)
    : ui_(ui), errors_(ui), transport_(std::move(transport))
{
    trace_.store(options.trace);
    pollInterval_ = options.pollInterval.value_or(
        transport_->Kind() == TransportKind::Usb ? kUsbPollInterval : kScsiPollInterval);
    Identify(Reporting::Show);
}

QVCamera::~QVCamera() = default;

bool QVCamera::Identify(Reporting reporting)
{
    {
        std::lock_guard guard(textMutex_);
        model_ = LookUpCameraModel(0);
    }
    for (auto& word : status_) word.store(0);
    filteredVoltage_.store(0);
    lastCameraError_.store(0);
    newFirmware_.store(true);
    bool linkFailed = false;
    const std::uint16_t code = QueryModel(reporting, linkFailed);
    if (linkFailed && reporting == Reporting::Quiet) {
        // Nothing answers on the link: the "No Camera" row, without waiting for more queries.
        ApplyModelRow(0);
        return false;
    }
    ApplyModel(code, reporting);
    // Whatever the motor output was left on, captures start from the carriage.
    if (IsConnected() && GetModelCode() != 0 && Exchange("CMX00\r", "#OK", -1, reporting).accepted)
        auxMode_.store(0);
    return !linkFailed;
}

void QVCamera::Reconnect()
{
    if (!IsConnected())
        transport_->Open();
    if (const auto* usb = dynamic_cast<const QVUSB*>(transport_.get()))
        openError_ = usb->OpenError();
    else if (const auto* scsi = dynamic_cast<const QVSCSI*>(transport_.get()))
        openError_ = scsi->OpenError();
    if (!IsConnected())
        return;
    // This runs again at every poll while there is no camera, so it shows nothing: the panel's
    // "No Camera" says it all. A link that opens but does not answer is closed again, and the
    // next attempt opens it afresh.
    if (!Identify(Reporting::Quiet))
        transport_->SetConnected(false);
}

bool QVCamera::IsConnected() const
{
    return transport_->IsConnected();
}

// ---- model -------------------------------------------------------------------------------

int QVCamera::GetSensorWidth() const
{
    std::lock_guard guard(textMutex_);
    return model_.sensorWidth;
}

int QVCamera::GetMaxLines() const
{
    std::lock_guard guard(textMutex_);
    return model_.maxLines;
}

int QVCamera::GetMaxSizeStep() const
{
    std::lock_guard guard(textMutex_);
    return model_.maxSizeStep;
}

int QVCamera::GetPixelPitch() const
{
    std::lock_guard guard(textMutex_);
    return model_.pixelPitch;
}

int QVCamera::GetMinSizeStep() const
{
    std::lock_guard guard(textMutex_);
    return model_.minSizeStep;
}

int QVCamera::GetMaxLineTimeIndex() const
{
    return maxLineTimeIndex_.load();
}

std::string QVCamera::GetModelName() const
{
    std::lock_guard guard(textMutex_);
    return std::string(model_.name);
}

std::uint16_t QVCamera::GetModelCode() const
{
    std::lock_guard guard(textMutex_);
    return static_cast<std::uint16_t>(model_.code);
}

bool QVCamera::HasNewFirmware() const
{
    return newFirmware_.load();
}

std::uint16_t QVCamera::QueryModel()
{
    bool linkFailed = false;
    return QueryModel(Reporting::Show, linkFailed);
}

std::uint16_t QVCamera::QueryModel(Reporting reporting, bool& linkFailed)
{
    linkFailed = false;
    if (!IsConnected())
        return 0;
    std::uint16_t code = GetModelCode();
    const CameraReply reply = Exchange("MM\r", "MM", -1, reporting);
    linkFailed = reply.LinkFailed();
    if (reply.accepted) {
        // Up to eight decimal digits after the prefix.
        const std::string digits = reply.text.size() > 2 ? reply.text.substr(2, 8) : std::string();
        code = static_cast<std::uint16_t>(std::strtol(digits.c_str(), nullptr, 10));
    }
    return code;
}

void QVCamera::ApplyModel(std::uint16_t code)
{
    ApplyModel(code, Reporting::Show);
}

void QVCamera::ApplyModel(std::uint16_t code, Reporting reporting)
{
    ApplyModelRow(code);
    double firmware = 0.0;
    if (const CameraReply reply = Exchange("MV\r", "MV", -1, reporting); reply.accepted)
        firmware = (ParseHexAfterPrefix(reply.text) & 0xFFFF) / 100.0;
    newFirmware_.store(std::lround(firmware * 100.0) >= kNewFirmwareHundredths || code == 0);
}

void QVCamera::ApplyModelRow(std::uint16_t code)
{
    const CameraModel& row = LookUpCameraModel(code);
    {
        std::lock_guard guard(textMutex_);
        model_ = row;
        // A code outside the table keeps its number but takes the "No Camera" row.
        model_.code = code;
    }
    // The new firmware makes every line time usable; the exposure settings apply that rule.
    int maxIndex = row.maxLineTimeIndex;
    if (transport_->Kind() == TransportKind::Usb)
        maxIndex += kUsbLineTimeBonus;
    maxLineTimeIndex_.store(maxIndex);
}

double QVCamera::GetFirmwareVersion()
{
    return QueryHex("MV\r", "MV") / 100.0;
}

std::uint16_t QVCamera::GetSerialNumber()
{
    return QueryHex("MN\r", "MN");
}

// ---- command exchange --------------------------------------------------------------------

bool QVCamera::Command(std::string_view text, std::string_view expectedPrefix, int timeoutTicks)
{
    return Exchange(text, expectedPrefix, timeoutTicks, Reporting::Show).accepted;
}

CameraReply QVCamera::Exchange(std::string_view text, std::string_view expectedPrefix,
                               int timeoutTicks)
{
    return Exchange(text, expectedPrefix, timeoutTicks, Reporting::Show);
}

CameraReply QVCamera::Exchange(std::string_view text, std::string_view expectedPrefix,
                               int timeoutTicks, Reporting reporting)
{
    return Conclude(SendAndWait(text, expectedPrefix, timeoutTicks), reporting);
}

bool QVCamera::AwaitReply(int timeoutTicks, std::string_view expectedPrefix)
{
    if (!lock_.Lock(kReplyLockMs))
        return false;
    Outcome outcome = WaitForReply(timeoutTicks, expectedPrefix);
    lock_.Unlock();
    return Conclude(std::move(outcome), Reporting::Show).accepted;
}

bool QVCamera::ReplyWaiting()
{
    if (!IsConnected() || !lock_.Lock(kSendLockMs))
        return false;
    const bool ready = transport_->IsReplyReady();
    lock_.Unlock();
    return ready;
}

QVCamera::Outcome QVCamera::SendAndWait(std::string_view text, std::string_view expectedPrefix,
                                        int timeoutTicks)
{
    {
        std::lock_guard guard(textMutex_);
        lastCommand_ = std::string(text);
    }
    errors_.ClearError();
    if (!IsConnected())
        return {};
    if (!lock_.Lock(kSendLockMs))
        return {};
    SetReplyText({});
    if (CommandTrace* trace = trace_.load())
        trace->OnCommand(text);
    if (transport_->SendCommand(text) != 0) {
        lock_.Unlock();
        return {false, Outcome::Report::Transport, 3, {}};
    }
    const int ticks = timeoutTicks < 0 ? kDefaultTimeoutTicks : timeoutTicks;
    // The reply wait takes the lock again; it is ours already.
    Outcome outcome{};
    if (lock_.Lock(kReplyLockMs)) {
        outcome = WaitForReply(ticks, expectedPrefix);
        lock_.Unlock();
    }
    lock_.Unlock();
    return outcome;
}

QVCamera::Outcome QVCamera::WaitForReply(int timeoutTicks, std::string_view expectedPrefix)
{
    errors_.ClearError();
    lastCameraError_.store(0);
    CommandTrace* trace = trace_.load();
    if (timeoutTicks == 0)
        return {true, Outcome::Report::None, 0, {}};
    const std::int64_t deadline =
        CurrentTick() + (timeoutTicks < 0 ? kDefaultTimeoutTicks : timeoutTicks);
    // Most replies are ready within a few milliseconds: the first polls come quickly and the
    // pause grows to the full poll interval, so that a quick exchange does not wait out a
    // whole interval and a slow one is not polled more often than the link likes.
    std::chrono::milliseconds pause = std::min(kFirstPollPause, pollInterval_);
    for (;;) {
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, pollInterval_);
        if (transport_->IsReplyReady())
            break;
        if (transport_->LinkGone()) {
            // Unplugged while it worked on the command: no reply is coming.
            if (trace)
                trace->OnFailure("the camera has gone from the link");
            return {false, Outcome::Report::Transport, LinkError::kDeviceNotConnected, {}};
        }
        if (CurrentTick() >= deadline) {
            if (trace)
                trace->OnFailure("no reply before the time-out");
            return {false, Outcome::Report::Timeout, 0, {}};
        }
    }

    std::array<std::uint8_t, QVCamComm::kReplySize> buffer{};
    std::uint16_t length = QVCamComm::kReplySize;
    const std::int16_t status = transport_->ReadReply(buffer, length);
    lastTransport_.store(status);
    length = std::min<std::uint16_t>(length, QVCamComm::kReplySize);
    const auto end = std::find_if(buffer.begin(), buffer.begin() + length,
                                  [](std::uint8_t c) { return c == 0 || c == '\r'; });
    const std::string reply(buffer.begin(), end);
    if (status != 0) {
        SetReplyText({});
        if (trace)
            trace->OnFailure("reply transfer failed, status " + std::to_string(status));
        return {false, Outcome::Report::Transport, status, {}};
    }
    if (reply.size() >= 2 && reply[0] == '#' && reply[1] == 'E') {
        const auto code = static_cast<std::uint16_t>(ParseHexAfterPrefix(reply));
        lastCameraError_.store(code);
        SetReplyText({});
        if (trace)
            trace->OnReply(reply, false);
        const bool stageInUse = rotatingStageProbe_ && rotatingStageProbe_();
        if (code == 3 && stageInUse)
            return {false, Outcome::Report::LineTimeTooShort, code, {}};
        return {false, Outcome::Report::CameraError, code, {}};
    }
    SetReplyText(reply);
    const bool matches = expectedPrefix.empty() || reply.empty() ||
                         std::string_view(reply).starts_with(expectedPrefix);
    if (trace)
        trace->OnReply(reply, matches);
    // The outcome carries every byte delivered; Conclude cuts the text from it.
    return {matches, matches ? Outcome::Report::None : Outcome::Report::BadReply, 0,
            std::string(buffer.begin(), buffer.begin() + length)};
}

CameraReply QVCamera::Conclude(Outcome outcome, Reporting reporting)
{
    CameraReply reply;
    reply.accepted = outcome.accepted;
    const auto textEnd = std::find_if(outcome.reply.begin(), outcome.reply.end(),
                                      [](char c) { return c == '\0' || c == '\r'; });
    if (outcome.accepted)
        reply.bytes.assign(outcome.reply.begin(), outcome.reply.end());
    reply.text.assign(outcome.reply.begin(), textEnd);
    const bool show = reporting == Reporting::Show;
    if (outcome.report != Outcome::Report::Timeout &&
        outcome.report != Outcome::Report::Transport &&
        (outcome.accepted || outcome.report != Outcome::Report::None))
        errors_.NoteLinkAnswered();
    const auto record = [&](CameraErrorKind kind) {
        reply.failure = kind;
        if (!show)
            errors_.RecordQuietly(kind, outcome.value);
    };
    // The cause goes into the log before the message is shown: a message box may stay up for a
    // long time, and whoever reads the log (or the CLI's events) finds the cause first.
    LogFailure(outcome, reply.text, show);
    switch (outcome.report) {
    case Outcome::Report::None: break;
    case Outcome::Report::Timeout:
        record(CameraErrorKind::Timeout);
        if (show)
            errors_.ReportTimeout();
        break;
    case Outcome::Report::Transport:
        record(CameraErrorKind::TransportFailure);
        if (show)
            errors_.ReportTransportError(static_cast<std::int16_t>(outcome.value));
        break;
    case Outcome::Report::CameraError:
        reply.cameraError = static_cast<std::uint16_t>(outcome.value);
        record(CameraErrorKind::CameraError);
        if (show)
            errors_.ReportCameraError(reply.cameraError);
        break;
    case Outcome::Report::LineTimeTooShort:
        // An error reply too, though the record stays clear.
        reply.cameraError = static_cast<std::uint16_t>(outcome.value);
        reply.failure = CameraErrorKind::CameraError;
        if (show)
            ui_.ShowMessage(kLineTimeTooShortText, MessageIcon::None, MessageButtons::Ok);
        break;
    case Outcome::Report::BadReply:
        record(CameraErrorKind::BadReply);
        if (show)
            errors_.ReportBadReply();
        break;
    }
    return reply;
}

void QVCamera::LogFailure(const Outcome& outcome, std::string_view replyText, bool shown) const
{
    std::string what;
    switch (outcome.report) {
    case Outcome::Report::None: return;
    case Outcome::Report::Timeout: what = "no reply in time"; break;
    case Outcome::Report::Transport:
        what = "the link failed with status " + std::to_string(outcome.value);
        break;
    case Outcome::Report::CameraError:
    case Outcome::Report::LineTimeTooShort: {
        char code[16];
        std::snprintf(code, sizeof code, "#E%X", static_cast<unsigned>(outcome.value));
        what = std::string("the camera answered ") + code;
        break;
    }
    case Outcome::Report::BadReply: what = "an unexpected reply"; break;
    }
    std::string command;
    {
        std::lock_guard guard(textMutex_);
        command = lastCommand_;
    }
    const char* link = transport_->Kind() == TransportKind::Usb ? "USB" : "SCSI";
    // A failure the user is not shown (a reconnection attempt, say) is only of interest when
    // looking closely.
    std::string line = "command \"" + command + "\" over " + link + ": " + what;
    if (!replyText.empty())
        line += ", reply \"" + std::string(replyText) + "\"";
    ui_.Log(shown ? LogLevel::Error : LogLevel::Debug, LogCategory::Camera, line);
}

void QVCamera::SetReplyText(std::string text)
{
    std::lock_guard guard(textMutex_);
    replyText_ = std::move(text);
}

std::string QVCamera::ReplyText() const
{
    std::lock_guard guard(textMutex_);
    return replyText_;
}

std::string QVCamera::LastCommand() const
{
    std::lock_guard guard(textMutex_);
    return lastCommand_;
}

std::uint16_t QVCamera::QueryHex(std::string_view text, std::string_view expectedPrefix)
{
    const CameraReply reply = Exchange(text, expectedPrefix);
    if (!reply.accepted)
        return 0;
    return static_cast<std::uint16_t>(ParseHexAfterPrefix(reply.text) & 0xFFFF);
}

// ---- status ------------------------------------------------------------------------------

int QVCamera::QueryStatus()
{
    CameraStatus status;
    return QueryStatus(status);
}

int QVCamera::QueryStatus(CameraStatus& status)
{
    // A reply with fewer words leaves the others as they were.
    status = LastStatus();
    if (!IsConnected())
        return -1;
    const CameraReply reply = Exchange("CS\r", "#S", kStatusTimeoutTicks);
    if (!reply.accepted)
        return -3;
    if (reply.cameraError != 0)
        return -1;
    if (reply.text.empty())
        return -2;
    if (reply.text.size() > 2) {
        std::array<unsigned, 5> words{};
        const int parsed = std::sscanf(reply.text.c_str() + 2, "%x %x %x %x %x", &words[0],
                                       &words[1], &words[2], &words[3], &words[4]);
        for (int i = 0; i < std::max(parsed, 0); ++i)
            status.words[static_cast<std::size_t>(i)] = words[static_cast<std::size_t>(i)];
        StoreStatus(status);
    }
    return 0;
}

CameraStatus QVCamera::LastStatus() const
{
    CameraStatus status;
    for (std::size_t i = 0; i < status.words.size(); ++i) status.words[i] = status_[i].load();
    return status;
}

void QVCamera::StoreStatus(const CameraStatus& status)
{
    for (std::size_t i = 0; i < status.words.size(); ++i) status_[i].store(status.words[i]);
}

std::uint32_t QVCamera::GetStatusWord(int index) const
{
    if (index < 0 || index >= static_cast<int>(status_.size()))
        return 0;
    return status_[static_cast<std::size_t>(index)].load();
}

std::uint16_t QVCamera::GetStatusFlags() const
{
    return static_cast<std::uint16_t>(GetStatusWord(0));
}

bool QVCamera::GetStatusBit4() const
{
    return (GetStatusWord(0) & 0x10) != 0;
}

std::uint32_t QVCamera::GetDiskFreeMB() const
{
    return GetStatusWord(4);
}

std::uint32_t QVCamera::GetStatusWord1() const
{
    return GetStatusWord(1);
}

std::uint16_t QVCamera::GetStatusWord2() const
{
    return static_cast<std::uint16_t>(GetStatusWord(2));
}

std::uint16_t QVCamera::QueryStatusFlags()
{
    CameraStatus status;
    QueryStatus(status);
    return status.Flags();
}

double QVCamera::QueryVoltage()
{
    CameraStatus status;
    return QueryStatus(status) == 0 ? FilterVoltage(status) : 0.0;
}

double QVCamera::FilterVoltage()
{
    return FilterVoltage(LastStatus());
}

double QVCamera::FilterVoltage(const CameraStatus& status)
{
    // A running filter whose steady state is the raw word × 15.14 thousandths of a volt.
    const auto raw = static_cast<std::int32_t>(status.RawVoltage());
    const auto next = [raw](std::uint16_t v) {
        if (v == 0)
            return static_cast<std::uint16_t>(static_cast<std::int64_t>(std::trunc(raw * 15.143)));
        return static_cast<std::uint16_t>(
            raw - static_cast<std::int32_t>(std::trunc(static_cast<double>(v) * -0.93396)));
    };
    // Two threads reading the voltage at once each take one step of the filter.
    std::uint16_t v = filteredVoltage_.load();
    std::uint16_t filtered = next(v);
    while (!filteredVoltage_.compare_exchange_weak(v, filtered)) filtered = next(v);
    return filtered / 1000.0;
}

bool QVCamera::QueryStatusBit4()
{
    CameraStatus status;
    QueryStatus(status);
    return status.MotorMoving();
}

std::uint32_t QVCamera::QueryDiskFreeMB()
{
    CameraStatus status;
    QueryStatus(status);
    return status.DiskFreeMB();
}

std::uint32_t QVCamera::QueryStatusWord1()
{
    CameraStatus status;
    QueryStatus(status);
    return status.LinesScanned();
}

std::uint16_t QVCamera::QueryStatusWord2()
{
    CameraStatus status;
    QueryStatus(status);
    return status.MotorPosition();
}

int QVCamera::GetDirectoryCount()
{
    if (!IsConnected())
        return -1;
    const CameraReply reply = Exchange("CDQ\r", "", kStatusTimeoutTicks);
    if (!reply.accepted || reply.text.size() <= 2)
        return 0;
    const unsigned long count = ParseHexAfterPrefix(reply.text);
    return count == 0 ? 256 : static_cast<int>(std::min<unsigned long>(count, 256));
}

// ---- motor output, maintenance -----------------------------------------------------------

bool QVCamera::SetAuxMode(bool on)
{
    if (on) {
        if (auxMode_.load() == 2)
            return true;
        if (!Command("CMX01\r", "#OK"))
            return false;
        auxMode_.store(2);
        return true;
    }
    if (!IsConnected() || GetModelCode() == 0 || auxMode_.load() == 0)
        return true;
    if (!Command("CMX00\r", "#OK"))
        return false;
    auxMode_.store(0);
    return true;
}

bool QVCamera::InitializeDisk()
{
    return Command("CDI\r", "#OK", kMotorTimeoutTicks);
}

std::string QVCamera::GetVersionText()
{
    // The reply is wanted even when it does not carry the acknowledgement prefix.
    return Exchange("MV\r", "#OK", kMotorTimeoutTicks).text;
}

void QVCamera::ReportNotResponding()
{
    ui_.PostCommand(WindowCommand::ShowStatus, kNotRespondingText);
}

// ---- data phases -------------------------------------------------------------------------

namespace {

// Holds the camera for one data phase, so that no command exchange of another thread (the
// panel's camera poll) comes between its request and its data.
class DataPhaseLock {
public:
    explicit DataPhaseLock(EventLock& lock) : lock_(lock), held_(lock.Lock(kWaitMs)) {}
    ~DataPhaseLock()
    {
        if (held_)
            lock_.Unlock();
    }
    DataPhaseLock(const DataPhaseLock&) = delete;
    DataPhaseLock& operator=(const DataPhaseLock&) = delete;
    [[nodiscard]] bool Held() const { return held_; }

private:
    // Longer than any command exchange holds the camera.
    static constexpr int kWaitMs = 5000;
    EventLock& lock_;
    bool held_;
};

}  // namespace

std::int32_t QVCamera::ReadData(std::uint8_t selector, std::span<std::uint8_t> buffer,
                                std::uint16_t blockCount, std::uint16_t chunkIndex)
{
    const DataPhaseLock hold(lock_);
    if (!hold.Held())
        return -static_cast<std::int32_t>(LinkError::kBusy);
    const std::int32_t result = transport_->ReadData(selector, buffer, blockCount, chunkIndex);
    TraceData("ReadData", CommandTrace::Direction::In, result < 0 ? 0 : std::size_t(result));
    return result;
}

std::int16_t QVCamera::WriteTable(std::span<const std::uint8_t, QVCamComm::kTableSize> table)
{
    const DataPhaseLock hold(lock_);
    if (!hold.Held())
        return static_cast<std::int16_t>(LinkError::kBusy);
    const std::int16_t status = transport_->WriteTable(table);
    lastTransport_.store(status);
    TraceData("WriteTable", CommandTrace::Direction::Out, status == 0 ? table.size() : 0);
    return status;
}

std::int16_t QVCamera::ReadBlocks(std::uint16_t count, std::span<std::uint8_t> buffer,
                                  std::uint32_t timeoutHintMs)
{
    const DataPhaseLock hold(lock_);
    if (!hold.Held())
        return static_cast<std::int16_t>(LinkError::kBusy);
    const std::int16_t status = transport_->ReadBlocks(count, buffer, timeoutHintMs);
    TraceData("ReadBlocks", CommandTrace::Direction::In,
              status == 0 ? std::size_t{count} * QVCamComm::kBlockSize : 0);
    return status;
}

std::int16_t QVCamera::TransferBlock(std::uint8_t index,
                                     std::span<std::uint8_t, QVCamComm::kBlockSize> buffer,
                                     bool write)
{
    const DataPhaseLock hold(lock_);
    if (!hold.Held())
        return static_cast<std::int16_t>(LinkError::kBusy);
    const std::int16_t status = transport_->TransferBlock(index, buffer, write);
    TraceData(write ? "WriteBlock" : "ReadBlock",
              write ? CommandTrace::Direction::Out : CommandTrace::Direction::In,
              status == 0 ? buffer.size() : 0);
    return status;
}

void QVCamera::TraceData(std::string_view operation, CommandTrace::Direction direction,
                         std::size_t bytes)
{
    if (CommandTrace* trace = trace_.load())
        trace->OnDataPhase(operation, direction, bytes);
}

void QVCamera::SetRotatingStageProbe(std::function<bool()> probe)
{
    rotatingStageProbe_ = std::move(probe);
}

void QVCamera::SetTrace(CommandTrace* trace)
{
    trace_.store(trace);
}

}  // namespace scanora
