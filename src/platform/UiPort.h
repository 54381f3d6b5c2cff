#pragma once

#include <string>
#include <string_view>

#include "platform/LogRecord.h"

namespace scanora {

// Window commands the worker threads post to the main window. The numbers are the program's own.
enum class WindowCommand : int {
    ShowStatus = 36866,        // show the text in the status pane
    CaptureEnded = 36867,      // a prescan or scan has ended
    SetElapsedTime = 36868,    // first time display
    SetRemainingTime = 36869,  // second time display
    NextImage = 36872,         // start the next image of a series
    OpenDiagnostics = 36873,   // open the diagnostics dialog
};

enum class MessageIcon { None, Information, Exclamation, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageResult { Ok, Cancel, Yes, No };

// Everything the core wants the user to see or answer goes through this interface. The desktop
// program queues each call onto the GUI thread, the CLI prints to the terminal, tests record the
// calls. Implementations must accept calls from any thread.
class UiPort {
public:
    virtual ~UiPort() = default;

    // A modal message box; returns the button the user chose.
    virtual MessageResult ShowMessage(std::string_view text, MessageIcon icon,
                                      MessageButtons buttons) = 0;
    // Posts a window command with its text (empty when the command carries none). Never waits.
    virtual void PostCommand(WindowCommand command, std::string_view text) = 0;
    // The short warning sound of a refused or clamped input.
    virtual void Beep() = 0;
    // Plays the sound file at `path`; with `wait` the call returns when the sound has ended.
    // Plays nothing unless the implementation can play sounds.
    virtual void PlaySound(std::string_view /*path*/, bool /*wait*/) {}
    // A line for the program's log, never shown: the cause behind a message (the errno and
    // path of a file, the command, reply and link of a camera exchange). Nothing unless the
    // implementation keeps a log.
    virtual void Log(LogLevel /*level*/, LogCategory /*category*/, std::string_view /*text*/) {}
};

// A UiPort that shows nothing and declines every question (No or Cancel), so nothing is deleted or
// overwritten on nobody's say: used where no user is present.
class SilentUiPort final : public UiPort {
public:
    MessageResult ShowMessage(std::string_view, MessageIcon, MessageButtons buttons) override
    {
        switch (buttons) {
        case MessageButtons::Ok: return MessageResult::Ok;
        case MessageButtons::YesNo: return MessageResult::No;
        case MessageButtons::OkCancel:
        case MessageButtons::YesNoCancel: return MessageResult::Cancel;
        }
        return MessageResult::Cancel;
    }
    void PostCommand(WindowCommand, std::string_view) override {}
    void Beep() override {}
};

}  // namespace scanora
