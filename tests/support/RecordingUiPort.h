#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/UiPort.h"

namespace scanora::test {

// A UiPort that records every call in order, so a test can assert the exact text of each message.
class RecordingUiPort final : public UiPort {
public:
    struct Message {
        std::string text;
        MessageIcon icon;
        MessageButtons buttons;
    };
    struct Posted {
        WindowCommand command;
        std::string text;
    };

    MessageResult ShowMessage(std::string_view text, MessageIcon icon,
                              MessageButtons buttons) override;
    void PostCommand(WindowCommand command, std::string_view text) override;
    void Beep() override;
    void Log(LogLevel level, LogCategory category, std::string_view text) override;

    // The answer given to every question (Yes/No and OK/Cancel boxes); Ok boxes answer Ok.
    void SetAnswer(MessageResult answer);

    [[nodiscard]] std::vector<Message> Messages() const;
    [[nodiscard]] std::vector<std::string> MessageTexts() const;
    [[nodiscard]] std::vector<Posted> PostedCommands() const;
    [[nodiscard]] int Beeps() const;
    // The lines logged at `level` or above, as "<category>: <text>".
    [[nodiscard]] std::vector<std::string> LogLines(LogLevel level = LogLevel::Debug) const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::vector<Posted> posted_;
    int beeps_ = 0;
    std::vector<std::pair<LogLevel, std::string>> log_;
    MessageResult answer_ = MessageResult::Yes;
};

}  // namespace scanora::test
