#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/UiPort.h"

namespace scanora {

// What kind of failure the last camera exchange ended in. The numbers are the program's own.
enum class CameraErrorKind : int {
    None = 0,
    Timeout = 1,           // the reply did not become ready in time
    CameraError = 2,       // the camera answered "#E" (value: its code)
    TransportFailure = 3,  // the transport returned a non-zero status (value: the status)
    BadReply = 5,          // the reply did not start with the expected prefix
    NoMemory = 6,          // a capture or retrieval buffer could not be allocated
};

// The record of the last camera failure, shared by everything that talks to the camera. Each
// report is shown to the user at once as "Camera Reported Error: " and the failure's text;
// the time-out is shown only the first time, and a failed link once until the camera answers
// again: a cable pulled during a scan is one message, not one per status query.
class CameraErrorRecord {
public:
    static constexpr std::string_view kMessagePrefix = "Camera Reported Error: ";
    static constexpr std::string_view kTimeoutText = "Camera timed out";
    static constexpr std::string_view kNoMemoryText =
        "Insufficient memory available to perform that task.  Try quitting other applications.";

    explicit CameraErrorRecord(UiPort& ui) : ui_(ui) {}

    void ClearError();
    void ReportTimeout();
    void ReportCameraError(std::uint16_t code);
    void ReportTransportError(std::int16_t status);
    void ReportBadReply();
    void ReportNoMemory();
    // The camera delivered a reply: the next failure of the link is news again.
    void NoteLinkAnswered();
    // Records a failure as the reports above do, without showing it: for the exchanges of a
    // reconnection attempt, whose outcome the user sees as the camera's name. A time-out
    // recorded this way does not count as the one time-out that is shown.
    void RecordQuietly(CameraErrorKind kind, int value);

    [[nodiscard]] bool HasError() const;
    [[nodiscard]] CameraErrorKind Kind() const;
    [[nodiscard]] int Value() const;
    // The user's text of the last failure, without the prefix (empty when none has a text).
    [[nodiscard]] std::string MessageText() const;

    // The text of a camera error code ("Busy", "The camera disk is full", ...).
    static std::string_view CameraErrorText(std::uint16_t code);

private:
    // The user's text of a failure (empty for a bad reply).
    static std::string TextOf(CameraErrorKind kind, int value);
    // Records the failure; shows "Camera Reported Error: " + text unless the text is empty.
    void Record(CameraErrorKind kind, int value, std::string text, bool show);

    UiPort& ui_;
    mutable std::mutex mutex_;
    CameraErrorKind kind_ = CameraErrorKind::None;
    int value_ = 0;
    std::string text_;
    bool timeoutShown_ = false;
    bool linkFailureShown_ = false;  // since the camera last answered
};

}  // namespace scanora
