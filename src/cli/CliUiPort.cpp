#include "cli/CliUiPort.h"

#include <iostream>

#include "platform/TextConversion.h"

namespace scanora::cli {

CliUiPort::CliUiPort(std::FILE* errors, bool answerYes, bool interactive)
    : errors_(errors), answerYes_(answerYes), interactive_(interactive)
{
}

namespace {

// The kind of event a message becomes, by its icon.
const char* MessageEvent(MessageIcon icon)
{
    // The camera's errors come in plain message boxes, as the documents show them.
    switch (icon) {
    case MessageIcon::None:
    case MessageIcon::Error: return "error";
    case MessageIcon::Exclamation:
    case MessageIcon::Question: return "warning";
    case MessageIcon::Information: break;
    }
    return "notice";
}

const char* AnswerText(MessageResult answer)
{
    switch (answer) {
    case MessageResult::Ok: return "ok";
    case MessageResult::Cancel: return "cancel";
    case MessageResult::Yes: return "yes";
    case MessageResult::No: break;
    }
    return "no";
}

}  // namespace

void CliUiPort::EmitSeriesState(JsonEvents& events, std::string_view text)
{
    // The series' two texts, read back into numbers: the next image's scan, and the wait for it.
    const std::string line(text);
    int image = 0;
    int images = 0;
    int seconds = 0;
    if (std::sscanf(line.c_str(), "Scanning image %d of %d", &image, &images) == 2) {
        events.Emit("series", JsonObject()
                                  .Text("state", "scanning")
                                  .Integer("image", image)
                                  .Integer("images", images));
    } else if (std::sscanf(line.c_str(), "Time Lapse %d of %d, in %d second", &image, &images,
                           &seconds) == 3) {
        events.Emit("series", JsonObject()
                                  .Text("state", "waiting")
                                  .Integer("image", image)
                                  .Integer("images", images)
                                  .Integer("seconds", seconds));
    }
}

void CliUiPort::Log(LogLevel level, LogCategory category, std::string_view text)
{
    if (logger_)
        logger_->Write(level, category, text);
    if (level == LogLevel::Error || level == LogLevel::Warning) {
        std::lock_guard guard(mutex_);
        lastCause_ = std::string(text);
    }
}

void CliUiPort::SetEvents(JsonEvents* events)
{
    std::lock_guard guard(mutex_);
    events_ = events;
    lastCause_.clear();
}

void CliUiPort::EmitMessage(JsonEvents& events, std::string_view text, MessageIcon icon,
                            MessageButtons buttons, MessageResult answer, const std::string& cause)
{
    JsonObject fields;
    fields.Text("message", text);
    if (cause.empty())
        fields.Null("cause");
    else
        fields.Text("cause", cause);
    if (buttons != MessageButtons::Ok)
        fields.Text("answer", AnswerText(answer));
    events.Emit(MessageEvent(icon), fields);
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
    if (events_) {
        std::string cause;
        cause.swap(lastCause_);
        EmitMessage(*events_, text, icon, buttons, answer, cause);
    }
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
    if (events_) {
        events_->Emit("status", JsonObject().Text("text", text));
        EmitSeriesState(*events_, text);
    }
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
