// scanora_soak: a long day at the camera, against a scanora-camsim at speed 0 (a process of its
// own, so that what is measured is the host's memory, not the simulated camera's disk and logs)
// and with the program's own timings: prescans stopped after their first block, scans each
// brought home by the automatic retrieval (the camera's disk emptied after each), and a
// time-lapse series. Reports the slowest cycle of each kind against the median, the memory in
// use at the start and at the end, and any cycle that did not come back in time (it then stops
// at once with exit status 1).
//
//   scanora_soak [--prescans N] [--scans N] [--series N] [--limit SECONDS] [--strict]
//
// Exit status: 0 when every cycle ended well; 1 when one got stuck or failed, or with --strict
// when the memory grew by 5 % or more between the first and the last hundred prescan cycles
// or a cycle took more than twice the median of its kind.

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "acquire/CaptureCommandQueue.h"
#include "acquire/CaptureSequence.h"
#include "acquire/CaptureView.h"
#include "acquire/PreviewImage.h"
#include "camera/QVCamera.h"
#include "cameradisk/ScanRetrieval.h"
#include "context/AppContext.h"
#include "settings/InsertRotation.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "support/ProcessRunner.h"

namespace {

using namespace scanora;
using Clock = std::chrono::steady_clock;

struct SoakOptions {
    int prescans = 500;
    int scans = 200;
    int series = 50;
    std::chrono::seconds limit{60};
    bool strict = false;
};

std::optional<int> Count(const char* text)
{
    int value = 0;
    const std::string_view view(text);
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc() || end != view.data() + view.size() || value < 0)
        return std::nullopt;
    return value;
}

bool Parse(int argc, char** argv, SoakOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag(argv[i]);
        if (flag == "--strict") {
            options.strict = true;
            continue;
        }
        const std::optional<int> value = i + 1 < argc ? Count(argv[i + 1]) : std::nullopt;
        if (!value)
            return false;
        ++i;
        if (flag == "--prescans")
            options.prescans = *value;
        else if (flag == "--scans")
            options.scans = *value;
        else if (flag == "--series")
            options.series = *value;
        else if (flag == "--limit")
            options.limit = std::chrono::seconds(std::max(*value, 1));
        else
            return false;
    }
    return true;
}

// The resident memory of this process in MiB, from /proc/self/status.
double ResidentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:"))
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    return 0.0;
}

// The view of the soak: it presses the abort keys once a prescan has shown its first block.
class SoakView final : public CaptureView {
public:
    void ShowPreviewRows(int, int) override { ++blocks_; }
    [[nodiscard]] bool AbortKeysDown() const override { return stopPrescans_ && blocks_ > 0; }

    void NextPrescan(bool stop)
    {
        blocks_ = 0;
        stopPrescans_ = stop;
    }

private:
    std::atomic<int> blocks_{0};
    std::atomic<bool> stopPrescans_{false};
};

// Hands the capture's window commands to the command loop, as the program's front ends do.
class SoakUi final : public UiPort {
public:
    MessageResult ShowMessage(std::string_view text, MessageIcon, MessageButtons) override
    {
        std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
        messages.fetch_add(1);
        return MessageResult::Ok;
    }
    void PostCommand(WindowCommand command, std::string_view) override { queue.Post(command); }
    void Beep() override {}

    CaptureCommandQueue queue;
    std::atomic<int> messages{0};
};

// Ends the process when a cycle does not come back within the limit: a stuck capture would
// otherwise hang the soak silently.
class Watchdog {
public:
    Watchdog() : thread_([this] { Watch(); }) {}
    ~Watchdog()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // `what` starts now and must end within `limit`.
    void Begin(std::string what, std::chrono::seconds limit)
    {
        const std::lock_guard lock(mutex_);
        what_ = std::move(what);
        limit_ = limit;
        started_ = Clock::now();
        running_ = true;
    }
    void End()
    {
        const std::lock_guard lock(mutex_);
        running_ = false;
    }

private:
    void Watch()
    {
        std::unique_lock lock(mutex_);
        while (!done_) {
            wake_.wait_for(lock, std::chrono::milliseconds(200));
            if (running_ && Clock::now() - started_ > limit_) {
                std::fprintf(stderr, "stuck: %s did not end within %lld s\n", what_.c_str(),
                             static_cast<long long>(limit_.count()));
                std::fflush(stderr);
                std::_Exit(1);
            }
        }
    }

    std::mutex mutex_;
    std::chrono::seconds limit_{0};
    std::condition_variable wake_;
    std::string what_;
    Clock::time_point started_{};
    bool running_ = false;
    bool done_ = false;
    std::thread thread_;
};

struct Timings {
    std::vector<double> seconds;

    [[nodiscard]] double Median() const
    {
        if (seconds.empty())
            return 0.0;
        std::vector<double> sorted = seconds;
        std::nth_element(sorted.begin(),
                         sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2),
                         sorted.end());
        return sorted[sorted.size() / 2];
    }
    [[nodiscard]] double Slowest() const
    {
        return seconds.empty() ? 0.0 : *std::max_element(seconds.begin(), seconds.end());
    }
    // Prints the line of one kind of cycle; false when the slowest took more than twice the
    // median.
    bool Report(const char* kind) const
    {
        const double median = Median();
        const double ratio = median > 0.0 ? Slowest() / median : 0.0;
        std::printf("%s: %zu cycles, median %.3f s, slowest %.3f s (%.2f x median)\n", kind,
                    seconds.size(), median, Slowest(), ratio);
        return ratio <= 2.0;
    }
};

// The mean of a run of memory readings.
double Mean(std::vector<double>::const_iterator first, std::vector<double>::const_iterator last)
{
    return first == last ? 0.0
                         : std::accumulate(first, last, 0.0) / static_cast<double>(last - first);
}

class Soak {
public:
    Soak(const SoakOptions& options, const std::filesystem::path& folder)
        : options_(options), folder_(folder)
    {
    }

    int Run()
    {
        const std::filesystem::path socket = folder_ / "camsim.sock";
        test::BackgroundProcess camera(
            {SCANORA_CAMSIM_PATH, "--listen", socket.string(), "--speed", "0", "--samples", "off"});
        std::string error;
        if (camera.WaitForOutput("listening"))
            context_ = AppContext::Create("socket:" + socket.string(), ui_, error);
        if (!context_ || !context_->Camera().IsConnected()) {
            std::fprintf(stderr, "scanora_soak: no simulated camera: %s\n", error.c_str());
            return 1;
        }
        sequence_ = std::make_unique<CaptureSequence>(context_->ForCapture(), image_, view_);
        UseSmallScans();
        const double startMiB = ResidentMiB();
        std::printf("memory at the start: %.1f MiB\n", startMiB);

        bool sound = Prescans() && Scans() && Series();
        const bool steady = ReportMemory(startMiB);
        if (ui_.messages.load() > 0) {
            std::printf("messages: %d (none expected)\n", ui_.messages.load());
            sound = false;
        }
        std::printf("stuck: none\n");
        sequence_.reset();
        context_.reset();
        return sound && (!options_.strict || (steady && timingsSteady_)) ? 0 : 1;
    }

private:
    void UseSmallScans()
    {
        QVSize& size = context_->Size();
        size.SetInsertRotation(InsertRotation::kFromTop, false);
        size.SetResolutionNumber(size.GetSensorGeometry().HighestStep() - 1);
        size.SetCropFromRectangle(30.0, 20.0, 10.0, 10.0);
        CameraPreferences& prefs = context_->CameraSetting().Prefs();
        prefs.scanName = "Soak";
        prefs.autoSaveScans = true;
        prefs.saveScansFolder = folder_.string();
    }

    // Runs one capture command and its window commands until the sequence is idle again.
    bool Cycle(const std::string& what, const std::function<bool()>& start, Timings& timings,
               int limitCycles = 1)
    {
        watchdog_.Begin(what, options_.limit * limitCycles);
        const auto began = Clock::now();
        const bool started = start();
        if (started)
            ui_.queue.RunUntilIdle(*sequence_, interrupt_);
        const bool answers = context_->Camera().QueryStatus() == 0;
        timings.seconds.push_back(std::chrono::duration<double>(Clock::now() - began).count());
        watchdog_.End();
        if (!started || !answers || sequence_->State() != CaptureState::Idle) {
            std::fprintf(stderr, "scanora_soak: %s failed (%s)\n", what.c_str(),
                         !started   ? "did not start"
                         : !answers ? "camera not answering"
                                    : "not idle");
            return false;
        }
        return true;
    }

    bool Prescans()
    {
        Timings timings;
        for (int i = 0; i < options_.prescans; ++i) {
            view_.NextPrescan(true);
            if (!Cycle(
                    "prescan " + std::to_string(i + 1), [this] { return sequence_->Prescan(); },
                    timings))
                return false;
            prescanMiB_.push_back(ResidentMiB());
        }
        timingsSteady_ = timings.Report("prescan-and-stop") && timingsSteady_;
        return true;
    }

    bool Scans()
    {
        Timings timings;
        ScanRetrieval retrieval(context_->ForRetrieval());
        int written = 0;
        sequence_->SetAfterScanRetrieval([&] {
            const RetrievalReport report = retrieval.Run(interrupt_);
            for (const RetrievalItem& item : report.items) {
                if (item.status == RetrievalStatus::Written) {
                    ++written;
                    std::error_code ignored;
                    std::filesystem::remove(item.path, ignored);
                }
            }
            return std::string();
        });
        for (int i = 0; i < options_.scans; ++i) {
            const int before = written;
            if (!Cycle(
                    "scan " + std::to_string(i + 1), [this] { return sequence_->Scan(); }, timings))
                return false;
            if (!sequence_->ScansSucceeded() || written != before + 1) {
                std::fprintf(stderr, "scanora_soak: scan %d was not brought home\n", i + 1);
                return false;
            }
            // The camera's disk is emptied once the image is home, so that every cycle reads a
            // directory of the same length.
            if (!context_->Camera().InitializeDisk()) {
                std::fprintf(stderr, "scanora_soak: the camera's disk was not emptied\n");
                return false;
            }
        }
        sequence_->SetAfterScanRetrieval({});
        timingsSteady_ = timings.Report("scan with retrieval") && timingsSteady_;
        return true;
    }

    bool Series()
    {
        if (options_.series == 0)
            return true;
        CameraPreferences& prefs = context_->CameraSetting().Prefs();
        prefs.autoSaveScans = false;
        prefs.timeLapse = true;
        prefs.timeLapseImages = static_cast<std::int16_t>(options_.series);
        prefs.timeLapseSeconds = 1;
        Timings timings;
        const bool ended = Cycle(
            "the series", [this] { return sequence_->Scan(); }, timings, options_.series);
        prefs.timeLapse = false;
        if (!ended || !sequence_->ScansSucceeded() || sequence_->ImagesRemaining() != 0) {
            std::fprintf(stderr, "scanora_soak: the series did not end well\n");
            return false;
        }
        std::printf("series: %d images in %.1f s\n", options_.series, timings.seconds.front());
        return true;
    }

    bool ReportMemory(double startMiB) const
    {
        const double endMiB = ResidentMiB();
        std::printf("memory at the end: %.1f MiB\n", endMiB);
        if (prescanMiB_.size() < 2)
            return true;
        const std::size_t span = std::min<std::size_t>(100, prescanMiB_.size() / 2);
        const double first =
            Mean(prescanMiB_.begin(), prescanMiB_.begin() + static_cast<std::ptrdiff_t>(span));
        const double last =
            Mean(prescanMiB_.end() - static_cast<std::ptrdiff_t>(span), prescanMiB_.end());
        const double growth = first > 0.0 ? 100.0 * (last - first) / first : 0.0;
        std::printf(
            "memory over the prescans: first %zu cycles %.1f MiB, last %zu cycles %.1f MiB "
            "(%+.1f %%; %.1f MiB at the start)\n",
            span, first, span, last, growth, startMiB);
        return growth < 5.0;
    }

    const SoakOptions options_;
    const std::filesystem::path folder_;
    Watchdog watchdog_;
    SoakUi ui_;
    SoakView view_;
    PreviewImage image_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<CaptureSequence> sequence_;
    std::atomic<bool> interrupt_{false};
    std::vector<double> prescanMiB_;
    bool timingsSteady_ = true;
};

}  // namespace

int main(int argc, char** argv)
{
    SoakOptions options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "Usage: scanora_soak [--prescans N] [--scans N] [--series N] "
                     "[--limit SECONDS] [--strict]\n");
        return 2;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "scanora-soak-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder(pattern);
    int status = 1;
    {
        Soak soak(options, folder);
        status = soak.Run();
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
