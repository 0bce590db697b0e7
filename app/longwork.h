// Work long enough to be felt (copies, renames, many pages) runs on a thread
// of its own so that the window keeps painting; past half a second a small
// window shows what is being done and how far it has come, with キャンセル.
#pragma once

#include "fileops/progress.h"

#include <QString>

#include <atomic>
#include <mutex>

class QWidget;

namespace longwork {

// What the work tells the progress window and hears from it. step, setLabel
// and cancelled may be called from the working thread.
class Job
{
public:
    explicit Job(const QString &label) : label_(label) {}

    // Once the work is asked to stop, what it skips is no progress: the
    // count stays where the work was.
    void step(int done, int total);
    void setLabel(const QString &label);
    // A progress callback of the (done, total) shape the workers take.
    fileops::Progress progress();
    bool cancelled() const { return cancel_.load(); }
    const std::atomic_bool *cancelFlag() const { return &cancel_; }

    // The progress window's side.
    void cancel() { cancel_ = true; }
    int done() const { return done_.load(); }
    int total() const { return total_.load(); }
    QString label() const;

private:
    std::atomic_int done_ = 0;
    std::atomic_int total_ = 0;
    std::atomic_bool cancel_ = false;
    mutable std::mutex labelLock_;
    QString label_;
};

// How long work runs before its progress window appears; tests shorten it.
inline int showAfterMs = 500;

// Runs work on a thread of its own and returns when it has ended. Meanwhile
// the event loop runs, the user's input to parent's window is held back (it
// must not change what the work is working on) and, past showAfterMs, the
// progress window shows the job; its キャンセル asks the work to stop at its
// next safe point. The window's close box asks whether to stop and quit; if
// so, once the work has stopped the window is closed as its close box closes
// it, and run returns false: the caller has nothing left to show.
bool run(QWidget *parent, Job &job, const std::function<void()> &work);

} // namespace longwork
