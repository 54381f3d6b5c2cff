#pragma once

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

#include "platform/Logger.h"
#include "platform/UiEvents.h"
#include "platform/UiPort.h"

namespace scanora::cli {

// The terminal's face of the program: messages go to standard error as the desktop program would
// show them, status texts become a status line, questions are answered by --yes or at the
// terminal (and declined when nobody is there to answer).
class CliUiPort final : public UiPort {
public:
    CliUiPort(std::FILE* errors, bool answerYes, bool interactive);

    MessageResult ShowMessage(std::string_view text, MessageIcon icon,
                              MessageButtons buttons) override;
    void PostCommand(WindowCommand command, std::string_view text) override;
    void Beep() override;
    void Log(LogLevel level, LogCategory category, std::string_view text) override;

    // The program's log: every message shown and every line the core logs go there too. Set
    // before the command runs.
    void SetLogger(Logger* logger) { logger_ = logger; }

    // Where window commands other than status texts go (a capture's command loop); none drops
    // them.
    void SetCommandSink(std::function<void(WindowCommand)> sink);

    // With --json during a long operation: status texts and messages become events too, each
    // message with the cause the core logged just before it. Null for none.
    void SetEvents(JsonEvents* events) { events_.Attach(events); }

    // The last message shown, and whether any was shown since the last Forget.
    [[nodiscard]] std::string LastMessage() const;
    [[nodiscard]] bool MessageShown() const { return shown_.load(); }
    void Forget();

private:
    // The answer to a message with `buttons`: --yes, the terminal, or no when nobody can answer.
    MessageResult Answer(MessageButtons buttons);

    std::FILE* errors_;
    const bool answerYes_;
    const bool interactive_;
    mutable std::mutex mutex_;
    std::string lastMessage_;
    std::function<void(WindowCommand)> sink_;
    Logger* logger_ = nullptr;
    UiEvents events_;
    std::atomic<bool> shown_{false};
};

}  // namespace scanora::cli
