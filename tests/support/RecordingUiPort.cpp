#include "support/RecordingUiPort.h"

namespace scanora::test {

MessageResult RecordingUiPort::ShowMessage(std::string_view text, MessageIcon icon,
                                           MessageButtons buttons)
{
    std::lock_guard guard(mutex_);
    messages_.push_back({std::string(text), icon, buttons});
    return buttons == MessageButtons::Ok ? MessageResult::Ok : answer_;
}

void RecordingUiPort::PostCommand(WindowCommand command, std::string_view text)
{
    std::lock_guard guard(mutex_);
    posted_.push_back({command, std::string(text)});
}

void RecordingUiPort::Beep()
{
    std::lock_guard guard(mutex_);
    ++beeps_;
}

void RecordingUiPort::SetAnswer(MessageResult answer)
{
    std::lock_guard guard(mutex_);
    answer_ = answer;
}

std::vector<RecordingUiPort::Message> RecordingUiPort::Messages() const
{
    std::lock_guard guard(mutex_);
    return messages_;
}

std::vector<std::string> RecordingUiPort::MessageTexts() const
{
    std::lock_guard guard(mutex_);
    std::vector<std::string> texts;
    for (const Message& message : messages_) texts.push_back(message.text);
    return texts;
}

std::vector<RecordingUiPort::Posted> RecordingUiPort::PostedCommands() const
{
    std::lock_guard guard(mutex_);
    return posted_;
}

int RecordingUiPort::Beeps() const
{
    std::lock_guard guard(mutex_);
    return beeps_;
}

void RecordingUiPort::Log(LogLevel level, LogCategory category, std::string_view text)
{
    std::lock_guard guard(mutex_);
    log_.emplace_back(level, std::string(LogCategoryName(category)) + ": " + std::string(text));
}

std::vector<std::string> RecordingUiPort::LogLines(LogLevel level) const
{
    std::lock_guard guard(mutex_);
    std::vector<std::string> lines;
    for (const auto& [lineLevel, text] : log_)
        if (lineLevel <= level)
            lines.push_back(text);
    return lines;
}

void RecordingUiPort::Clear()
{
    std::lock_guard guard(mutex_);
    messages_.clear();
    posted_.clear();
    beeps_ = 0;
    log_.clear();
}

}  // namespace scanora::test
