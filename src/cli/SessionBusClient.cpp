#include "cli/SessionBusClient.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <variant>

#include <systemd/sd-bus.h>

namespace scanora::cli {

namespace {

constexpr const char* kService = "org.scanora.Scanora";
constexpr const char* kPath = "/org/scanora/Scanora";
constexpr const char* kInterface = "org.scanora.Scanora1";

// An Event signal: its line to the handler the user data points at.
int OnEvent(sd_bus_message* message, void* handler, sd_bus_error*)
{
    const char* line = nullptr;
    if (sd_bus_message_read(message, "s", &line) >= 0 && line)
        (*static_cast<std::function<void(const std::string&)>*>(handler))(line);
    return 0;
}

}  // namespace

SessionBusClient::SessionBusClient() = default;

SessionBusClient::~SessionBusClient()
{
    sd_bus_slot_unref(slot_);
    sd_bus_flush_close_unref(bus_);
}

bool SessionBusClient::Open(std::string& error)
{
    const int result = sd_bus_open_user(&bus_);
    if (result < 0) {
        error = std::string("no session bus: ") + std::strerror(-result);
        bus_ = nullptr;
        return false;
    }
    return true;
}

bool SessionBusClient::ServiceRunning()
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int has = 0;
    const bool ok = sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", "NameHasOwner", &error, &reply, "s",
                                       kService) >= 0 &&
                    sd_bus_message_read(reply, "b", &has) >= 0;
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    return ok && has != 0;
}

SessionBusClient::Reply SessionBusClient::Call(const char* method,
                                               const std::vector<Argument>& arguments)
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* call = nullptr;
    sd_bus_message* message = nullptr;
    int result = sd_bus_message_new_method_call(bus_, &call, kService, kPath, kInterface, method);
    for (const Argument& argument : arguments) {
        if (result < 0)
            break;
        if (const auto* text = std::get_if<std::string>(&argument)) {
            result = sd_bus_message_append_basic(call, 's', text->c_str());
        } else {
            const auto& numbers = std::get<std::vector<std::uint32_t>>(argument);
            result = sd_bus_message_append_array(call, 'u', numbers.data(),
                                                 numbers.size() * sizeof(std::uint32_t));
        }
    }
    if (result >= 0)
        result = sd_bus_call(bus_, call, 0, &error, &message);
    Reply reply;
    if (result < 0) {
        reply.text = error.message ? error.message
                                   : std::string("the call failed: ") + std::strerror(-result);
        reply.errorName = error.name ? error.name : "";
    } else {
        reply.ok = true;
        const char* text = nullptr;
        // A method without an answer has an empty reply.
        if (sd_bus_message_peek_type(message, nullptr, nullptr) > 0 &&
            sd_bus_message_read(message, "s", &text) >= 0 && text)
            reply.text = text;
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(message);
    sd_bus_message_unref(call);
    return reply;
}

bool SessionBusClient::WatchEvents(std::function<void(const std::string&)> handler,
                                   std::string& error)
{
    handler_ = std::move(handler);
    const int result = sd_bus_match_signal(bus_, &slot_, kService, kPath, kInterface, "Event",
                                           &OnEvent, &handler_);
    if (result < 0) {
        error = std::string("cannot follow the program's events: ") + std::strerror(-result);
        return false;
    }
    return true;
}

bool SessionBusClient::Process(std::chrono::milliseconds limit, const std::function<bool()>& done)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        const int processed = sd_bus_process(bus_, nullptr);
        if (processed < 0)
            return false;
        if (processed > 0)
            continue;
        const auto now = std::chrono::steady_clock::now();
        if (now >= until)
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(until - now);
        // Short waits, so that Ctrl+C (checked in `done`) is seen.
        if (sd_bus_wait(bus_, std::min<std::uint64_t>(left.count(), 100000)) < 0)
            return false;
    }
    return true;
}

}  // namespace scanora::cli
