#pragma once

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

namespace scanora::ui {

// The one way from a worker thread to the windows: work handed to Run executes on the GUI
// thread, at once when the caller is already there, else queued in order. Workers only post; a
// worker that needs the work done (or an answer) waits for it with a bound, and Close lets every
// waiting worker go at once, so a GUI thread that itself waits for a worker to end never
// deadlocks. After Close nothing more runs. Work must carry copies of what it shows, never
// references into objects a worker goes on changing.
class GuiThread final : public QObject {
public:
    // Made on the GUI thread.
    explicit GuiThread(QObject* parent = nullptr);
    ~GuiThread() override;
    GuiThread(const GuiThread&) = delete;
    GuiThread& operator=(const GuiThread&) = delete;

    // True on the application's (GUI) thread.
    [[nodiscard]] static bool IsCurrent();

    void Run(std::function<void()> work);
    // Runs `work` on the GUI thread and waits until it has run, at most `limit`; false when it
    // did not run (the bound passed first or the seam was closed). Work that has begun is
    // always waited for, so it may use the caller's locals.
    bool RunAndWait(const std::function<void()>& work, std::chrono::milliseconds limit);
    // The answer of `ask` on the GUI thread; `fallback` when it could not be asked in time.
    template <typename T>
    [[nodiscard]] T Ask(const std::function<T()>& ask, T fallback, std::chrono::milliseconds limit)
    {
        std::optional<T> answer;
        RunAndWait([&] { answer = ask(); }, limit);
        return answer ? std::move(*answer) : std::move(fallback);
    }

    // The program is closing: waiting workers go on at once, later work is dropped.
    void Close();
    [[nodiscard]] bool Closed() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = false;
};

// Stops the program, naming `function`, unless it runs on the GUI thread. Every entry point that
// touches a widget begins with SCANORA_ASSERT_GUI_THREAD(); the check is on in every build.
void AssertGuiThread(const char* function);

}  // namespace scanora::ui

#define SCANORA_ASSERT_GUI_THREAD() \
    ::scanora::ui::AssertGuiThread(static_cast<const char*>(Q_FUNC_INFO))
