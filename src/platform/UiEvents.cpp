#include "platform/UiEvents.h"

#include <cstdio>

namespace scanora {

namespace {

// The kind of event a message becomes, by its icon. The camera's errors come in plain message
// boxes, as the documents show them.
const char* MessageEvent(MessageIcon icon)
{
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

// A series' state read back from its status text: the next image's scan, and the wait for it.
void EmitSeriesState(JsonEvents& events, std::string_view text)
{
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

}  // namespace

void UiEvents::Attach(JsonEvents* events)
{
    const std::lock_guard lock(mutex_);
    events_ = events;
    lastCause_.clear();
}

void UiEvents::Detach(const JsonEvents* events)
{
    const std::lock_guard lock(mutex_);
    if (events_ != events)
        return;
    events_ = nullptr;
    lastCause_.clear();
}

void UiEvents::Logged(LogLevel level, std::string_view text)
{
    if (level != LogLevel::Error && level != LogLevel::Warning)
        return;
    const std::lock_guard lock(mutex_);
    lastCause_ = std::string(text);
}

void UiEvents::StatusShown(std::string_view text)
{
    const std::lock_guard lock(mutex_);
    if (!events_ || text.empty())
        return;
    events_->Emit("status", JsonObject().Text("text", text));
    EmitSeriesState(*events_, text);
}

void UiEvents::MessageShown(std::string_view text, MessageIcon icon, MessageButtons buttons,
                            MessageResult answer)
{
    const std::lock_guard lock(mutex_);
    std::string cause;
    cause.swap(lastCause_);
    if (!events_)
        return;
    JsonObject fields;
    fields.Text("message", text);
    if (cause.empty())
        fields.Null("cause");
    else
        fields.Text("cause", cause);
    if (buttons != MessageButtons::Ok)
        fields.Text("answer", AnswerText(answer));
    events_->Emit(MessageEvent(icon), fields);
}

}  // namespace scanora
