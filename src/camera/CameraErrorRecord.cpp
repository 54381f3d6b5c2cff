#include "camera/CameraErrorRecord.h"

namespace scanora {

std::string_view CameraErrorRecord::CameraErrorText(std::uint16_t code)
{
    switch (code) {
    case 0x00: return "No Error";
    case 0x11: return "Busy";
    case 0x22: return "Not Ready";
    case 0x33: return "The camera disk is full";
    case 0x01: return "Conversion Error";
    case 0x02: return "Value Error";
    case 0x03: return "Math Error";
    default: return "Unknown Error";
    }
}

std::string CameraErrorRecord::TextOf(CameraErrorKind kind, int value)
{
    switch (kind) {
    case CameraErrorKind::Timeout: return std::string(kTimeoutText);
    case CameraErrorKind::CameraError:
        return std::string(CameraErrorText(static_cast<std::uint16_t>(value)));
    case CameraErrorKind::TransportFailure: return std::to_string(value);
    case CameraErrorKind::NoMemory: return std::string(kNoMemoryText);
    case CameraErrorKind::None:
    case CameraErrorKind::BadReply: break;
    }
    return {};
}

void CameraErrorRecord::Record(CameraErrorKind kind, int value, std::string text, bool show)
{
    {
        std::lock_guard guard(mutex_);
        kind_ = kind;
        value_ = value;
        text_ = text;
    }
    // Shown outside the lock: the message box may wait for the user for a long time.
    if (show && !text.empty()) {
        const std::string message = std::string(kMessagePrefix) + text;
        ui_.ShowMessage(message, MessageIcon::None, MessageButtons::Ok);
    }
}

void CameraErrorRecord::ClearError()
{
    std::lock_guard guard(mutex_);
    kind_ = CameraErrorKind::None;
    value_ = 0;
    text_.clear();
}

void CameraErrorRecord::ReportTimeout()
{
    bool first = false;
    {
        std::lock_guard guard(mutex_);
        first = !timeoutShown_;
        timeoutShown_ = true;
    }
    Record(CameraErrorKind::Timeout, 0, TextOf(CameraErrorKind::Timeout, 0), first);
}

void CameraErrorRecord::ReportCameraError(std::uint16_t code)
{
    Record(CameraErrorKind::CameraError, code, TextOf(CameraErrorKind::CameraError, code), true);
}

void CameraErrorRecord::ReportTransportError(std::int16_t status)
{
    bool first = false;
    {
        std::lock_guard guard(mutex_);
        first = !linkFailureShown_;
        linkFailureShown_ = true;
    }
    Record(CameraErrorKind::TransportFailure, status,
           TextOf(CameraErrorKind::TransportFailure, status), first);
}

void CameraErrorRecord::NoteLinkAnswered()
{
    std::lock_guard guard(mutex_);
    linkFailureShown_ = false;
}

void CameraErrorRecord::ReportBadReply()
{
    Record(CameraErrorKind::BadReply, 0, {}, false);
}

void CameraErrorRecord::ReportNoMemory()
{
    Record(CameraErrorKind::NoMemory, 0, TextOf(CameraErrorKind::NoMemory, 0), true);
}

void CameraErrorRecord::RecordQuietly(CameraErrorKind kind, int value)
{
    Record(kind, value, TextOf(kind, value), false);
}

bool CameraErrorRecord::HasError() const
{
    std::lock_guard guard(mutex_);
    return kind_ != CameraErrorKind::None;
}

CameraErrorKind CameraErrorRecord::Kind() const
{
    std::lock_guard guard(mutex_);
    return kind_;
}

int CameraErrorRecord::Value() const
{
    std::lock_guard guard(mutex_);
    return value_;
}

std::string CameraErrorRecord::MessageText() const
{
    std::lock_guard guard(mutex_);
    return text_;
}

}  // namespace scanora
