#include "camera/QVCamera.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "camera/CommandTrace.h"
#include "camera/QVSCSI.h"
#include "platform/LinkError.h"
#include "camera/QVUSB.h"
#include "platform/TickClock.h"

namespace scanora {

namespace {

constexpr std::chrono::milliseconds kUsbPollInterval{50};
constexpr std::chrono::milliseconds kScsiPollInterval{100};
constexpr int kNewFirmwareHundredths = 414;  // 4.14
constexpr int kUsbLineTimeBonus = 3;
constexpr int kMotorTimeoutTicks = 600;

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
    pollInterval_ = options.pollInterval.value_or(
        transport_->Kind() == TransportKind::Usb ? kUsbPollInterval : kScsiPollInterval);
    Identify();
}

QVCamera::QVCamera(std::unique_ptr<QVCamComm> transport, UiPort& ui, CameraOptions options)
    : ui_(ui), errors_(ui), transport_(std::move(transport))
{
    trace_.store(options.trace);
    pollInterval_ = options.pollInterval.value_or(
        transport_->Kind() == TransportKind::Usb ? kUsbPollInterval : kScsiPollInterval);
    Identify();
}

QVCamera::~QVCamera() = default;

void QVCamera::Identify()
{
    {
        std::lock_guard guard(textMutex_);
        model_ = LookUpCameraModel(0);
    }
    for (auto& word : status_) word.store(0);
    filteredVoltage_.store(0);
    lastCameraError_.store(0);
    newFirmware_.store(true);
    ApplyModel(QueryModel());
    // Whatever the motor output was left on, captures start from the carriage.
    if (IsConnected() && GetModelCode() != 0 && Command("CMX00\r", "#OK"))
        auxMode_.store(0);
}

void QVCamera::Reconnect()
{
    if (!IsConnected())
        transport_->Open();
    if (const auto* usb = dynamic_cast<const QVUSB*>(transport_.get()))
        openError_ = usb->OpenError();
    else if (const auto* scsi = dynamic_cast<const QVSCSI*>(transport_.get()))
        openError_ = scsi->OpenError();
    if (IsConnected())
        Identify();
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
    if (!IsConnected())
        return 0;
    std::uint16_t code = GetModelCode();
    if (Command("MM\r", "MM") && !errors_.HasError()) {
        // Up to eight decimal digits after the prefix.
        const std::string reply = ReplyText();
        const std::string digits = reply.size() > 2 ? reply.substr(2, 8) : std::string();
        code = static_cast<std::uint16_t>(std::strtol(digits.c_str(), nullptr, 10));
    }
    return code;
}

void QVCamera::ApplyModel(std::uint16_t code)
{
    const CameraModel& row = LookUpCameraModel(code);
    {
        std::lock_guard guard(textMutex_);
        model_ = row;
        // A code outside the table keeps its number but takes the "No Camera" row.
        model_.code = code;
    }
    const double firmware = GetFirmwareVersion();
    const bool newFirmware = std::lround(firmware * 100.0) >= kNewFirmwareHundredths || code == 0;
    newFirmware_.store(newFirmware);
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
    return Conclude(SendAndWait(text, expectedPrefix, timeoutTicks));
}

bool QVCamera::AwaitReply(int timeoutTicks, std::string_view expectedPrefix)
{
    if (!lock_.Lock(kReplyLockMs))
        return false;
    const Outcome outcome = WaitForReply(timeoutTicks, expectedPrefix);
    lock_.Unlock();
    return Conclude(outcome);
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
        return {false, Outcome::Report::Transport, 3};
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
        return {true};
    const std::int64_t deadline =
        CurrentTick() + (timeoutTicks < 0 ? kDefaultTimeoutTicks : timeoutTicks);
    for (;;) {
        std::this_thread::sleep_for(pollInterval_);
        if (transport_->IsReplyReady())
            break;
        if (CurrentTick() >= deadline) {
            if (trace)
                trace->OnFailure("no reply before the time-out");
            return {false, Outcome::Report::Timeout};
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
        return {false, Outcome::Report::Transport, status};
    }
    if (reply.size() >= 2 && reply[0] == '#' && reply[1] == 'E') {
        const auto code = static_cast<std::uint16_t>(ParseHexAfterPrefix(reply));
        lastCameraError_.store(code);
        SetReplyText({});
        if (trace)
            trace->OnReply(reply, false);
        const bool stageInUse = rotatingStageProbe_ && rotatingStageProbe_();
        if (code == 3 && stageInUse)
            return {false, Outcome::Report::LineTimeTooShort, code};
        return {false, Outcome::Report::CameraError, code};
    }
    SetReplyText(reply);
    const bool matches = expectedPrefix.empty() || reply.empty() ||
                         std::string_view(reply).starts_with(expectedPrefix);
    if (trace)
        trace->OnReply(reply, matches);
    if (!matches)
        return {false, Outcome::Report::BadReply};
    return {true};
}

bool QVCamera::Conclude(const Outcome& outcome)
{
    switch (outcome.report) {
    case Outcome::Report::None: break;
    case Outcome::Report::Timeout: errors_.ReportTimeout(); break;
    case Outcome::Report::Transport:
        errors_.ReportTransportError(static_cast<std::int16_t>(outcome.value));
        break;
    case Outcome::Report::CameraError:
        errors_.ReportCameraError(static_cast<std::uint16_t>(outcome.value));
        break;
    case Outcome::Report::LineTimeTooShort:
        ui_.ShowMessage(kLineTimeTooShortText, MessageIcon::None, MessageButtons::Ok);
        break;
    case Outcome::Report::BadReply: errors_.ReportBadReply(); break;
    }
    return outcome.accepted;
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
    if (!Command(text, expectedPrefix))
        return 0;
    return static_cast<std::uint16_t>(ParseHexAfterPrefix(ReplyText()) & 0xFFFF);
}

// ---- status ------------------------------------------------------------------------------

int QVCamera::QueryStatus()
{
    if (!IsConnected())
        return -1;
    if (!Command("CS\r", "#S", kStatusTimeoutTicks))
        return -3;
    if (lastCameraError_.load() != 0)
        return -1;
    const std::string reply = ReplyText();
    if (reply.empty())
        return -2;
    if (reply.size() > 2) {
        std::array<unsigned, 5> words{};
        const int parsed = std::sscanf(reply.c_str() + 2, "%x %x %x %x %x", &words[0], &words[1],
                                       &words[2], &words[3], &words[4]);
        for (int i = 0; i < std::max(parsed, 0); ++i)
            status_[static_cast<std::size_t>(i)].store(words[static_cast<std::size_t>(i)]);
    }
    return 0;
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
    QueryStatus();
    return GetStatusFlags();
}

double QVCamera::QueryVoltage()
{
    return QueryStatus() == 0 ? FilterVoltage() : 0.0;
}

double QVCamera::FilterVoltage()
{
    // A running filter whose steady state is the raw word × 15.14 thousandths of a volt.
    const auto raw = static_cast<std::int32_t>(GetStatusWord(3));
    std::uint16_t v = filteredVoltage_.load();
    if (v == 0)
        v = static_cast<std::uint16_t>(static_cast<std::int64_t>(std::trunc(raw * 15.143)));
    else
        v = static_cast<std::uint16_t>(
            raw - static_cast<std::int32_t>(std::trunc(static_cast<double>(v) * -0.93396)));
    filteredVoltage_.store(v);
    return v / 1000.0;
}

bool QVCamera::QueryStatusBit4()
{
    QueryStatus();
    return GetStatusBit4();
}

std::uint32_t QVCamera::QueryDiskFreeMB()
{
    QueryStatus();
    return GetDiskFreeMB();
}

std::uint32_t QVCamera::QueryStatusWord1()
{
    QueryStatus();
    return GetStatusWord1();
}

std::uint16_t QVCamera::QueryStatusWord2()
{
    QueryStatus();
    return GetStatusWord2();
}

int QVCamera::GetDirectoryCount()
{
    if (!IsConnected())
        return -1;
    if (!Command("CDQ\r", "", kStatusTimeoutTicks))
        return 0;
    const std::string reply = ReplyText();
    if (reply.size() <= 2)
        return 0;
    const unsigned long count = ParseHexAfterPrefix(reply);
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
    Command("MV\r", "#OK", kMotorTimeoutTicks);
    return ReplyText();
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
