#include "platform/Logger.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <system_error>

#include "platform/UserFolders.h"

namespace scanora {

namespace {

// A line of the log is one record: the camera's carriage returns and any line breaks in a text
// are written as escapes.
void AppendEscaped(std::string& line, std::string_view text)
{
    for (const char c : text) {
        if (c == '\r')
            line += "\\r";
        else if (c == '\n')
            line += "\\n";
        else
            line.push_back(c);
    }
}

std::string TimeStamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                            now.time_since_epoch() % std::chrono::seconds(1))
                            .count();
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + length, sizeof text - length, ".%03d", static_cast<int>(millis));
    return text;
}

std::string ThreadText()
{
    char name[16] = {};
    if (pthread_getname_np(pthread_self(), name, sizeof name) != 0)
        name[0] = '\0';
    std::string text = std::to_string(static_cast<long>(gettid()));
    if (name[0] != '\0')
        text += std::string(" ") + name;
    return text;
}

}  // namespace

Logger::Logger(LoggerOptions options) : options_(std::move(options))
{
}

Logger::~Logger()
{
    if (file_)
        std::fclose(file_);
}

bool Logger::Wants(LogLevel level) const
{
    const bool terminal = options_.terminalLevel && level <= *options_.terminalLevel;
    const bool file = !options_.file.empty() && level <= options_.fileLevel;
    return terminal || file;
}

void Logger::Write(LogLevel level, LogCategory category, std::string_view text)
{
    if (!Wants(level))
        return;
    const std::string line = Line(level, category, text);
    const std::lock_guard lock(mutex_);
    if (options_.terminalLevel && level <= *options_.terminalLevel && options_.terminal)
        std::fputs(line.c_str(), options_.terminal);
    if (!options_.file.empty() && level <= options_.fileLevel)
        WriteToFile(line);
}

void Logger::WriteShown(MessageIcon icon, std::string_view text)
{
    LogLevel level = LogLevel::Info;
    switch (icon) {
    case MessageIcon::None:
    case MessageIcon::Error: level = LogLevel::Error; break;
    case MessageIcon::Exclamation: level = LogLevel::Warning; break;
    case MessageIcon::Information:
    case MessageIcon::Question: level = LogLevel::Info; break;
    }
    Write(level, LogCategory::Ui, "shown: " + std::string(text));
}

std::string Logger::Line(LogLevel level, LogCategory category, std::string_view text) const
{
    std::string line = TimeStamp();
    line += ' ';
    line += LogLevelName(level);
    line += ' ';
    line += LogCategoryName(category);
    line += " [";
    line += ThreadText();
    line += "] ";
    AppendEscaped(line, text);
    line += '\n';
    return line;
}

void Logger::WriteToFile(const std::string& line)
{
    if (fileFailed_)
        return;
    if (!file_ && !OpenFile())
        return;
    if (fileBytes_ > 0 && fileBytes_ + line.size() > options_.maxFileBytes) {
        Rotate();
        if (!file_ && !OpenFile())
            return;
    }
    if (std::fputs(line.c_str(), file_) < 0 || std::fflush(file_) != 0) {
        // A full disk or a removed folder: the log goes quiet rather than fail the program.
        std::fclose(file_);
        file_ = nullptr;
        fileFailed_ = true;
        return;
    }
    fileBytes_ += line.size();
}

bool Logger::OpenFile()
{
    std::error_code ignored;
    std::filesystem::create_directories(options_.file.parent_path(), ignored);
    // Readable by the user alone: the log names files and folders.
    const int fd = ::open(options_.file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        fileFailed_ = true;
        return false;
    }
    file_ = ::fdopen(fd, "a");
    if (!file_) {
        ::close(fd);
        fileFailed_ = true;
        return false;
    }
    const auto size = std::filesystem::file_size(options_.file, ignored);
    fileBytes_ = ignored ? 0 : size;
    return true;
}

void Logger::Rotate()
{
    std::fclose(file_);
    file_ = nullptr;
    fileBytes_ = 0;
    const auto numbered = [this](int n) {
        std::filesystem::path path = options_.file;
        path += "." + std::to_string(n);
        return path;
    };
    std::error_code ignored;
    const int kept = std::max(options_.keptFiles, 0);
    if (kept == 0) {
        std::filesystem::remove(options_.file, ignored);
        return;
    }
    std::filesystem::remove(numbered(kept), ignored);
    for (int n = kept - 1; n >= 1; --n) std::filesystem::rename(numbered(n), numbered(n + 1), ignored);
    std::filesystem::rename(options_.file, numbered(1), ignored);
}

std::filesystem::path Logger::Folder(const UserFolders& folders)
{
    const std::filesystem::path state = folders.StateHome();
    return state.empty() ? state : state / "Scanora";
}

std::optional<LogLevel> Logger::ParseLevel(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const LogLevel level : {LogLevel::Error, LogLevel::Warning, LogLevel::Info, LogLevel::Debug})
        if (lower == LogLevelName(level))
            return level;
    return std::nullopt;
}

LoggerOptions Logger::OptionsFor(std::string_view program, bool verbose, const char* levelVariable,
                                 const UserFolders& folders)
{
    LoggerOptions options;
    if (verbose)
        options.terminalLevel = LogLevel::Debug;
    else if (levelVariable)
        options.terminalLevel = ParseLevel(levelVariable);
    // The file keeps what a bug report needs; with a more talkative terminal level the file
    // follows it.
    if (options.terminalLevel && *options.terminalLevel > options.fileLevel)
        options.fileLevel = *options.terminalLevel;
    const std::filesystem::path folder = Folder(folders);
    if (!folder.empty())
        options.file = folder / (std::string(program) + ".log");
    return options;
}

}  // namespace scanora
