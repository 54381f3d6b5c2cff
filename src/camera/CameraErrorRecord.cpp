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
    Record(CameraErrorKind::Timeout, 0, std::string(kTimeoutText), first);
}

void CameraErrorRecord::ReportCameraError(std::uint16_t code)
{
    Record(CameraErrorKind::CameraError, code, std::string(CameraErrorText(code)), true);
}

void CameraErrorRecord::ReportTransportError(std::int16_t status)
{
    Record(CameraErrorKind::TransportFailure, status, std::to_string(status), true);
}

void CameraErrorRecord::ReportBadReply()
{
    Record(CameraErrorKind::BadReply, 0, {}, false);
}

void CameraErrorRecord::ReportNoMemory()
{
    Record(CameraErrorKind::NoMemory, 0, std::string(kNoMemoryText), true);
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
