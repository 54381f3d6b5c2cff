#include "cli/CliUiPort.h"

#include <iostream>

#include "platform/TextConversion.h"

namespace scanora::cli {

CliUiPort::CliUiPort(std::FILE* errors, bool answerYes, bool interactive)
    : errors_(errors), answerYes_(answerYes), interactive_(interactive)
{
}

void CliUiPort::Log(LogLevel level, LogCategory category, std::string_view text)
{
    if (logger_)
        logger_->Write(level, category, text);
    events_.Logged(level, text);
}

MessageResult CliUiPort::ShowMessage(std::string_view text, MessageIcon icon,
                                     MessageButtons buttons)
{
    if (logger_)
        logger_->WriteShown(icon, text);
    std::lock_guard guard(mutex_);
    lastMessage_ = std::string(text);
    shown_.store(true);
    // Messages carry names from the camera and the user: nothing in them may steer the terminal.
    std::fprintf(errors_, "%s\n", TextConversion::ForTerminal(text, true).c_str());
    std::fflush(errors_);
    const MessageResult answer = Answer(buttons);
    events_.MessageShown(text, icon, buttons, answer);
    return answer;
}

MessageResult CliUiPort::Answer(MessageButtons buttons)
{
    if (buttons == MessageButtons::Ok)
        return MessageResult::Ok;

    const bool yesNo = buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel;
    const MessageResult yes = yesNo ? MessageResult::Yes : MessageResult::Ok;
    const MessageResult no =
        buttons == MessageButtons::YesNo ? MessageResult::No : MessageResult::Cancel;
    if (answerYes_)
        return yes;
    if (!interactive_)
        return no;
    std::fprintf(errors_, "%s ", yesNo ? "[y/N]" : "[OK/cancel: y/N]");
    std::fflush(errors_);
    std::string answer;
    if (!std::getline(std::cin, answer))
        return no;
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y') ? yes : no;
}

void CliUiPort::SetCommandSink(std::function<void(WindowCommand)> sink)
{
    std::lock_guard guard(mutex_);
    sink_ = std::move(sink);
}

void CliUiPort::PostCommand(WindowCommand command, std::string_view text)
{
    std::lock_guard guard(mutex_);
    if (command != WindowCommand::ShowStatus) {
        if (sink_)
            sink_(command);
        return;
    }
    if (text.empty())
        return;
    std::fprintf(errors_, "%s\n", TextConversion::ForTerminal(text, true).c_str());
    std::fflush(errors_);
    events_.StatusShown(text);
}

void CliUiPort::Beep()
{
    if (!interactive_)
        return;
    std::fputc('\a', errors_);
    std::fflush(errors_);
}

std::string CliUiPort::LastMessage() const
{
    std::lock_guard guard(mutex_);
    return lastMessage_;
}

void CliUiPort::Forget()
{
    std::lock_guard guard(mutex_);
    lastMessage_.clear();
    shown_.store(false);
}

}  // namespace scanora::cli
