#include "ui/QtUiPort.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#ifdef SCANORA_HAVE_MULTIMEDIA
#include <QSoundEffect>
#endif

namespace scanora::ui {

namespace {

[[maybe_unused]] constexpr std::chrono::seconds kSoundLimit{30};

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None: return QMessageBox::NoIcon;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// A box closed without a button (Escape, the window's close box) counts as the safe answer.
MessageResult FromQtButton(int button, MessageButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok: return MessageResult::Ok;
    case QMessageBox::Yes: return MessageResult::Yes;
    case QMessageBox::No: return MessageResult::No;
    case QMessageBox::Cancel: return MessageResult::Cancel;
    default: break;
    }
    switch (buttons) {
    case MessageButtons::Ok: return MessageResult::Ok;
    case MessageButtons::YesNo: return MessageResult::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel: return MessageResult::Cancel;
    }
    return MessageResult::Cancel;
}

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtUiPort::QtUiPort(QObject* parent) : QObject(parent)
{
}

MessageResult QtUiPort::ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon,
                                       MessageButtons buttons)
{
    QMessageBox box(ToQtIcon(icon), QApplication::applicationDisplayName(), text,
                    ToQtButtons(buttons), parent);
    return FromQtButton(box.exec(), buttons);
}

void QtUiPort::SetMessagePresenter(MessagePresenter presenter)
{
    presenter_ = std::move(presenter);
}

MessageResult QtUiPort::Present(const QString& text, MessageIcon icon, MessageButtons buttons)
{
    MessageResult answer = MessageResult::Ok;
    if (presenter_) {
        answer = presenter_(text, icon, buttons);
    } else {
        // Over a dialog that is open (the preferences telling of a number out of range), else
        // over the main window.
        QWidget* modal = QApplication::activeModalWidget();
        answer = ShowMessageBox(modal ? modal : dialogParent_, text, icon, buttons);
    }
    events_.MessageShown(text.toStdString(), icon, buttons, answer);
    return answer;
}

void QtUiPort::Log(LogLevel level, LogCategory category, std::string_view text)
{
    if (logger_)
        logger_->Write(level, category, text);
    events_.Logged(level, text);
}

MessageResult QtUiPort::ShowMessage(std::string_view text, MessageIcon icon, MessageButtons buttons)
{
    if (logger_)
        logger_->WriteShown(icon, text);
    const QString message = ToQString(text);
    if (QThread::currentThread() == thread())
        return closed_ ? SafeAnswer(buttons) : Present(message, icon, buttons);

    // A worker waits until the user has answered on the GUI thread, or until the program closes
    // (the GUI thread may then be waiting for this very worker to end).
    auto pending = std::make_shared<PendingAnswer>();
    pending->result = SafeAnswer(buttons);
    if (closed_)
        return pending->result;
    QMetaObject::invokeMethod(
        this,
        [this, pending, message, icon, buttons] {
            const MessageResult answer =
                closed_ ? SafeAnswer(buttons) : Present(message, icon, buttons);
            const std::lock_guard lock(waitMutex_);
            pending->result = answer;
            pending->done = true;
            answered_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(waitMutex_);
    answered_.wait(lock, [&] { return pending->done || closed_; });
    return pending->result;
}

void QtUiPort::Close()
{
    const std::lock_guard lock(waitMutex_);
    closed_ = true;
    answered_.notify_all();
}

MessageResult QtUiPort::SafeAnswer(MessageButtons buttons)
{
    return FromQtButton(QMessageBox::NoButton, buttons);
}

void QtUiPort::PostCommand(WindowCommand command, std::string_view text)
{
    if (command == WindowCommand::ShowStatus)
        events_.StatusShown(text);
    // Queued even on the GUI thread: a posted command never runs inside its sender.
    QMetaObject::invokeMethod(
        this,
        [this, id = static_cast<int>(command), message = ToQString(text)] {
            Q_EMIT commandPosted(id, message);
        },
        Qt::QueuedConnection);
}

void QtUiPort::Beep()
{
    QMetaObject::invokeMethod(
        this, [] { QApplication::beep(); }, Qt::AutoConnection);
}

void QtUiPort::PlaySound(std::string_view path, bool wait)
{
#ifdef SCANORA_HAVE_MULTIMEDIA
    const QString file = ToQString(path);
    if (file.isEmpty())
        return;
    if (QThread::currentThread() == thread()) {
        if (!wait) {
            PlayOnGuiThread(file, {});
            return;
        }
        // The GUI thread goes on answering events while the sound plays.
        QEventLoop loop;
        PlayOnGuiThread(file, [&loop] { loop.quit(); });
        loop.exec();
        return;
    }
    if (!wait) {
        QMetaObject::invokeMethod(
            this, [this, file] { PlayOnGuiThread(file, {}); }, Qt::QueuedConnection);
        return;
    }
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    QMetaObject::invokeMethod(
        this,
        [&] {
            PlayOnGuiThread(file, [&] {
                const std::lock_guard lock(mutex);
                done = true;
                ended.notify_one();
            });
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex);
    ended.wait(lock, [&] { return done; });
#else
    (void)path;
    (void)wait;
#endif
}

void QtUiPort::PlayOnGuiThread(const QString& path, std::function<void()> done)
{
#ifdef SCANORA_HAVE_MULTIMEDIA
    auto* effect = new QSoundEffect(this);  // owned by this port until it has played
    auto finish = [effect, done = std::move(done)] {
        effect->deleteLater();
        if (done)
            done();
    };
    auto finished = std::make_shared<bool>(false);
    auto finishOnce = [finished, finish] {
        if (!*finished) {
            *finished = true;
            finish();
        }
    };
    connect(effect, &QSoundEffect::playingChanged, this, [effect, finishOnce] {
        if (!effect->isPlaying())
            finishOnce();
    });
    connect(effect, &QSoundEffect::statusChanged, this, [effect, finishOnce] {
        if (effect->status() == QSoundEffect::Error)
            finishOnce();
        else if (effect->status() == QSoundEffect::Ready)
            effect->play();
    });
    // A sound system that never answers does not hold the caller for ever.
    QTimer::singleShot(kSoundLimit, effect, finishOnce);
    effect->setSource(QUrl::fromLocalFile(path));
    if (effect->status() == QSoundEffect::Error)
        finishOnce();
#else
    (void)path;
    if (done)
        done();
#endif
}

}  // namespace scanora::ui
