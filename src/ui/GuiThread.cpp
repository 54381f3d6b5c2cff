#include "ui/GuiThread.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace scanora::ui {

namespace {

// One RunAndWait: who has begun and who has given up, guarded by the seam's mutex.
struct Waiting {
    bool started = false;
    bool done = false;
    bool abandoned = false;
};

}  // namespace

GuiThread::GuiThread(QObject* parent) : QObject(parent)
{
}

GuiThread::~GuiThread()
{
    Close();
}

bool GuiThread::IsCurrent()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

void GuiThread::Run(std::function<void()> work)
{
    if (Closed())
        return;
    if (IsCurrent()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, work = std::move(work)] {
            if (!Closed())
                work();
        },
        Qt::QueuedConnection);
}

bool GuiThread::RunAndWait(const std::function<void()>& work, std::chrono::milliseconds limit)
{
    if (IsCurrent()) {
        if (Closed())
            return false;
        work();
        return true;
    }
    auto waiting = std::make_shared<Waiting>();
    {
        const std::lock_guard lock(mutex_);
        if (closed_)
            return false;
    }
    QMetaObject::invokeMethod(
        this,
        [this, waiting, &work] {
            {
                const std::lock_guard lock(mutex_);
                // The caller has gone on: `work` may refer to what no longer exists.
                if (waiting->abandoned || closed_)
                    return;
                waiting->started = true;
            }
            work();
            const std::lock_guard lock(mutex_);
            waiting->done = true;
            changed_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, limit, [&] { return waiting->done || closed_; });
    if (waiting->started && !waiting->done)
        changed_.wait(lock, [&] { return waiting->done; });  // begun: it ends soon
    waiting->abandoned = !waiting->done;
    return waiting->done;
}

void GuiThread::Close()
{
    const std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

bool GuiThread::Closed() const
{
    const std::lock_guard lock(mutex_);
    return closed_;
}

void AssertGuiThread(const char* function)
{
    if (GuiThread::IsCurrent())
        return;
    std::fprintf(stderr, "Scanora: %s was called off the GUI thread\n", function);
    std::fflush(stderr);
    std::abort();
}

}  // namespace scanora::ui
