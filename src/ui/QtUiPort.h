#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/Logger.h"
#include "platform/UiEvents.h"
#include "platform/UiPort.h"

namespace scanora::ui {

// The desktop program's UiPort. It lives on the GUI thread: message boxes from worker threads
// wait there until the user has answered, window commands are queued to the main frame (never
// run inside the caller), sounds play without blocking the GUI thread.
class QtUiPort final : public QObject, public UiPort {
    Q_OBJECT

public:
    // Shows one message and returns the user's answer; runs on the GUI thread.
    using MessagePresenter =
        std::function<MessageResult(const QString&, MessageIcon, MessageButtons)>;

    explicit QtUiPort(QObject* parent = nullptr);

    MessageResult ShowMessage(std::string_view text, MessageIcon icon,
                              MessageButtons buttons) override;
    void PostCommand(WindowCommand command, std::string_view text) override;
    void Beep() override;
    void PlaySound(std::string_view path, bool wait) override;
    void Log(LogLevel level, LogCategory category, std::string_view text) override;

    // The program's log: every message shown and every line the core logs go there too. Set
    // before any worker runs.
    void SetLogger(Logger* logger) { logger_ = logger; }
    // Replaces the message box (tests answer messages without a modal loop).
    void SetMessagePresenter(MessagePresenter presenter);
    // The window that message boxes are centred on.
    void SetDialogParent(QWidget* parent) { dialogParent_ = parent; }
    // Status texts and messages as events, for a program following along over D-Bus.
    [[nodiscard]] UiEvents& Events() { return events_; }

    // The program is closing: waiting workers get the safe answer (No or Cancel) at once and no
    // further message is shown.
    void Close();

    // The standard message box of the program.
    static MessageResult ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon,
                                        MessageButtons buttons);

Q_SIGNALS:
    // A window command for the main frame; connected queued.
    void commandPosted(int command, const QString& text);

private:
    struct PendingAnswer {
        MessageResult result = MessageResult::Cancel;
        bool done = false;
    };

    [[nodiscard]] static MessageResult SafeAnswer(MessageButtons buttons);
    MessageResult Present(const QString& text, MessageIcon icon, MessageButtons buttons);
    void PlayOnGuiThread(const QString& path, std::function<void()> done);

    MessagePresenter presenter_;
    QWidget* dialogParent_ = nullptr;
    Logger* logger_ = nullptr;
    UiEvents events_;
    std::mutex waitMutex_;
    std::condition_variable answered_;
    std::atomic<bool> closed_{false};
};

}  // namespace scanora::ui
