#include "app/longwork.h"

#include "app/messagebox.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <thread>

namespace longwork {

void Job::step(int done, int total)
{
    if (cancel_)
        return;
    total_ = total;
    done_ = done;
}

void Job::setLabel(const QString &label)
{
    const std::lock_guard hold(labelLock_);
    label_ = label;
}

fileops::Progress Job::progress()
{
    return [this](int done, int total) { step(done, total); };
}

QString Job::label() const
{
    const std::lock_guard hold(labelLock_);
    return label_;
}

namespace {

class ProgressWindow : public QDialog
{
public:
    ProgressWindow(QWidget *parent, Job &job) : QDialog(parent), job_(job)
    {
        setObjectName(QStringLiteral("longwork"));
        setWindowTitle(QStringLiteral("KAMERIO"));
        // Not modal: a window blocked by a modal one never hears its close
        // box, and the close box must be able to ask to stop. HoldInput keeps
        // the window's input from the work instead.
        label_->setMinimumWidth(360);
        cancel_->setObjectName(QStringLiteral("longworkCancel"));
        cancel_->setAutoDefault(false);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(label_);
        layout->addWidget(bar_);
        layout->addWidget(cancel_, 0, Qt::AlignRight);
        connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::reject);
        refresh();
    }

    void refresh()
    {
        label_->setText(job_.cancelled() ? QStringLiteral("中止しています…") : job_.label());
        // Until the work knows how much there is, the bar just shows it is busy.
        bar_->setRange(0, job_.total());
        bar_->setValue(qMin(job_.done(), job_.total()));
    }

    // Escape, the close button and キャンセル all ask the work to stop; the
    // window stays until it has.
    void reject() override
    {
        job_.cancel();
        cancel_->setEnabled(false);
        refresh();
    }

private:
    Job &job_;
    QLabel *label_ = new QLabel(this);
    QProgressBar *bar_ = new QProgressBar(this);
    QPushButton *cancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
};

// Swallows the user's input to one window. Its close box asks whether to
// stop the work and quit.
class HoldInput : public QObject
{
public:
    HoldInput(QWidget *window, Job &job) : window_(window), job_(job) { qApp->installEventFilter(this); }
    ~HoldInput() override { qApp->removeEventFilter(this); }

    // The user chose to stop and quit.
    bool closing() const { return closing_; }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->isWidgetType() || static_cast<QWidget *>(watched)->window() != window_)
            return false;
        switch (event->type()) {
        case QEvent::Close:
            event->ignore();
            if (watched == window_)
                askToQuit();
            return true;
        case QEvent::ShortcutOverride:
            // Taken here, so that no shortcut (Ctrl+S, Alt+F) acts either.
            event->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: return true;
        default: return false;
        }
    }

private:
    void askToQuit()
    {
        if (asking_ || closing_)
            return;
        asking_ = true;
        closing_ = messagebox::show(window_, QStringLiteral("作業中です。中止して終了しますか？"),
                       messagebox::Buttons::YesNo)
                   == QMessageBox::Yes;
        asking_ = false;
        if (closing_)
            job_.cancel();
    }

    QWidget *window_;
    Job &job_;
    bool asking_ = false;
    bool closing_ = false;
};

} // namespace

bool run(QWidget *parent, Job &job, const std::function<void()> &work)
{
    QWidget *const main = parent->window();
    std::exception_ptr failure;
    bool closing = false;
    {
        QEventLoop loop;
        HoldInput hold(main, job);
        ProgressWindow window(parent, job);
        // The hourglass until the progress window can be clicked.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        bool waiting = true;
        QTimer show;
        show.setSingleShot(true);
        QObject::connect(&show, &QTimer::timeout, &window, [&] {
            QApplication::restoreOverrideCursor();
            waiting = false;
            window.show();
        });
        show.start(showAfterMs);
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &window, &ProgressWindow::refresh);
        tick.start(50);

        std::thread worker([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        worker.join();
        if (waiting)
            QApplication::restoreOverrideCursor();
        closing = hold.closing();
    }
    if (failure)
        std::rethrow_exception(failure);
    if (!closing)
        return true;
    main->close();
    return false;
}

} // namespace longwork
