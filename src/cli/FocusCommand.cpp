#include "cli/FocusCommand.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "camera/FocusDisplays.h"
#include "camera/FocusHistory.h"
#include "camera/QVCamera.h"
#include "camera/QVFocus.h"
#include "cli/CliApp.h"
#include "cli/EventScope.h"
#include "context/AppContext.h"

namespace scanora::cli {

namespace {

constexpr std::array<const char*, FocusReading::kChannels> kChannelNames{"red", "green", "blue"};
constexpr std::string_view kChannelLetters = "rgb";

// Keeps the last reading for the loop to print; the terminal shows nothing else.
class LastFocusReading final : public FocusDisplays {
public:
    void ShowFocusReading(const FocusReading& reading) override { reading_ = reading; }
    void ClearFocusDisplay() override {}
    void ShowWindowWidth(const FocusWindowWidth& width) override { width_ = width; }

    [[nodiscard]] const FocusReading& Reading() const { return reading_; }
    [[nodiscard]] const FocusWindowWidth& Width() const { return width_; }

private:
    FocusReading reading_;
    FocusWindowWidth width_;
};

bool ParseInteger(const std::string& text, long long low, long long high, long long& value)
{
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && end == text.c_str() + text.size() && value >= low && value <= high;
}

}  // namespace

FocusCommand::FocusCommand(const CliOptions& options, AppContext& context, CliUiPort& ui,
                           std::FILE* out, std::FILE* err, const std::atomic<bool>& stopRequested)
    : options_(options),
      context_(context),
      ui_(ui),
      out_(out),
      err_(err),
      stopRequested_(stopRequested)
{
}

bool FocusCommand::Read(const CliOptions& options, Settings& settings, std::string& error)
{
    const auto& values = options.focusValues;
    const auto integer = [&](const char* name, long long low, long long high, auto apply) -> bool {
        const auto found = values.find(name);
        if (found == values.end())
            return true;
        long long value = 0;
        if (!ParseInteger(found->second, low, high, value)) {
            error = std::string("--") + name + " needs a whole number from " + std::to_string(low) +
                    " to " + std::to_string(high) + ", not '" + found->second + "'";
            return false;
        }
        apply(value);
        return true;
    };
    if (!integer("column", 0, 65535, [&](long long v) { settings.column = static_cast<int>(v); }) ||
        !integer("line", 0, 65535, [&](long long v) { settings.line = static_cast<int>(v); }) ||
        !integer("zoom", 0, QVFocus::kZoomLevels - 1,
                 [&](long long v) { settings.zoom = static_cast<int>(v); }) ||
        !integer("readings", 1, 100000000, [&](long long v) { settings.readings = v; }) ||
        !integer("pause", 0, 60000,
                 [&](long long v) { settings.intervalMs = static_cast<int>(v); }))
        return false;
    if (const auto found = values.find("seconds"); found != values.end()) {
        char* end = nullptr;
        const double seconds = std::strtod(found->second.c_str(), &end);
        if (found->second.empty() || end != found->second.c_str() + found->second.size() ||
            !(seconds > 0.0 && seconds <= 86400.0)) {
            error = "--seconds needs a number of seconds above 0, not '" + found->second + "'";
            return false;
        }
        settings.seconds = seconds;
    }
    if (const auto found = values.find("channels"); found != values.end()) {
        const std::string& text = found->second;
        const bool known =
            !text.empty() && text.find_first_not_of(kChannelLetters) == std::string::npos;
        if (!known) {
            error = "--channels needs one or more of r, g and b, not '" + text + "'";
            return false;
        }
        settings.channels = text;
    }
    return true;
}

std::string FocusCommand::CheckArguments(const CliOptions& options)
{
    if (!options.arguments.empty())
        return "focus takes no arguments";
    Settings settings;
    std::string error;
    Read(options, settings, error);
    return error;
}

int FocusCommand::Run()
{
    Settings settings;
    std::string error;
    Read(options_, settings, error);

    LastFocusReading display;
    const CaptureTools tools = context_.ForCapture();
    QVFocus focus(context_.Camera(), context_.Pano(), tools.Curve(), display);
    // Without --column and --line the window reads the middle of the field. A column past the
    // preview still names a place on the sensor; the window stays on it.
    const auto [middleColumn, middleLine] = focus.CentrePlace();
    const int column = settings.column.value_or(middleColumn);
    const int line = settings.line.value_or(middleLine);
    for (int c = 0; c < FocusReading::kChannels; ++c)
        focus.SetChannelEnabled(
            c, settings.channels.find(kChannelLetters[static_cast<std::size_t>(c)]) !=
                   std::string::npos);
    focus.SetZoom(settings.zoom);
    focus.PlaceWindow(column, line);
    const FocusWindowWidth width = focus.Width();
    const EventScope scope(options_.json, out_, ui_, "focus",
                           JsonObject()
                               .Integer("column", column)
                               .Integer("line", line)
                               .Integer("zoom", settings.zoom)
                               .Integer("pixels", width.pixels)
                               .Number("millimetres", width.millimetres)
                               .Integer("windowStart", focus.WindowStart()));
    if (!options_.json) {
        std::fprintf(out_,
                     "Focus window: column %d, line %d, zoom %d: %d pixels (%.2f mm) from pixel "
                     "%d. Ctrl+C stops.\n",
                     column, line, settings.zoom, width.pixels, width.millimetres,
                     focus.WindowStart());
        std::fflush(out_);
    }
    focus.StartFocus();

    FocusHistory history;
    long long failed = 0;
    long long attempts = 0;
    const auto started = std::chrono::steady_clock::now();
    const auto timeUp = [&] {
        return settings.seconds &&
               std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() >=
                   *settings.seconds;
    };
    while (!stopRequested_.load() && !timeUp() &&
           (!settings.readings || attempts < *settings.readings)) {
        ++attempts;
        if (focus.MeasureFocus() == 0) {
            history.Add(display.Reading());
            Print(display.Reading(), history, scope.Events());
        } else {
            ++failed;
        }
        if (!settings.readings || attempts < *settings.readings)
            Pause(settings.intervalMs);
    }
    focus.StopFocus();

    std::string message;
    if (failed > 0) {
        message =
            std::to_string(failed) + " of " + std::to_string(attempts) + " focus readings failed";
        std::fprintf(err_, "scanora-cli: %s\n", message.c_str());
    }
    if (JsonEvents* events = scope.Events()) {
        JsonObject best;
        for (int c = 0; c < FocusReading::kChannels; ++c) {
            const FocusHistory::Best found = history.BestOf(c);
            best.Raw(kChannelNames[static_cast<std::size_t>(c)],
                     JsonObject()
                         .Integer("score", found.score)
                         .Integer("reading", found.reading)
                         .Line());
        }
        JsonObject result;
        result.Integer("readings", attempts).Integer("failed", failed).Raw("best", best.Line());
        if (!message.empty())
            result.Text("error", message);
        events->Result(result);
    }
    return failed > 0 ? kExitCameraFailure : kExitSuccess;
}

void FocusCommand::Print(const FocusReading& reading, const FocusHistory& history,
                         JsonEvents* events) const
{
    if (events) {
        JsonObject fields;
        fields.Integer("reading", history.Count());
        for (int c = 0; c < FocusReading::kChannels; ++c) {
            const auto i = static_cast<std::size_t>(c);
            const FocusHistory::Best best = history.BestOf(c);
            fields.Raw(kChannelNames[i], JsonObject()
                                             .Integer("score", reading.scores[i])
                                             .Bool("enabled", reading.enabled[i])
                                             .Integer("best", best.score)
                                             .Integer("bestReading", best.reading)
                                             .Line());
        }
        events->Emit("reading", fields);
        return;
    } else {
        std::fprintf(out_, "%6d ", history.Count());
        for (int c = 0; c < FocusReading::kChannels; ++c) {
            const auto i = static_cast<std::size_t>(c);
            const FocusHistory::Best best = history.BestOf(c);
            if (!reading.enabled[i]) {
                std::fprintf(out_, "  %s      -             ", kChannelNames[i]);
                continue;
            }
            std::fprintf(out_, "  %s %5d (best %5d @%d)", kChannelNames[i], reading.scores[i],
                         best.score, best.reading);
        }
        std::fputc('\n', out_);
    }
    std::fflush(out_);
}

void FocusCommand::Pause(int ms) const
{
    constexpr auto kSlice = std::chrono::milliseconds(20);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stopRequested_.load()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= until)
            return;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(until - now, kSlice));
    }
}

}  // namespace scanora::cli
