#include "cli/TraceFile.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace scanora::cli {

namespace {

// Control characters (the command's carriage return above all) shown as escapes.
std::string Printable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::unique_ptr<TraceFile> TraceFile::Create(const std::string& path, std::string& error)
{
    FilePtr file(std::fopen(path.c_str(), "w"));
    if (!file) {
        error = "cannot write the trace file " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<TraceFile>(std::move(file), path);
}

std::string TraceFile::Error() const
{
    std::lock_guard guard(mutex_);
    return error_;
}

void TraceFile::WriteLine(std::string_view marker, std::string_view text)
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    std::lock_guard guard(mutex_);
    if (!error_.empty())
        return;
    const int written =
        std::fprintf(file_.get(), "%02d:%02d:%02d.%03d %.*s %.*s\n", local.tm_hour, local.tm_min,
                     local.tm_sec, static_cast<int>(millis), static_cast<int>(marker.size()),
                     marker.data(), static_cast<int>(text.size()), text.data());
    if (written < 0 || std::fflush(file_.get()) != 0)
        error_ = "cannot write the trace file " + path_ + ": " + std::strerror(errno);
}

void TraceFile::OnCommand(std::string_view text)
{
    WriteLine(">>", Printable(text));
}

void TraceFile::OnReply(std::string_view text, bool accepted)
{
    WriteLine("<<", Printable(text) + (accepted ? "" : "   (not accepted)"));
}

void TraceFile::OnFailure(std::string_view what)
{
    WriteLine("!!", what);
}

void TraceFile::OnDataPhase(std::string_view operation, Direction direction, std::size_t bytes)
{
    WriteLine("..", std::string(operation) + (direction == Direction::In ? " in " : " out ") +
                        std::to_string(bytes) + " bytes");
}

}  // namespace scanora::cli
