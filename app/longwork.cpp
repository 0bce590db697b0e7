#include "app/longwork.h"

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
        setWindowModality(Qt::WindowModal);
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

// Swallows the user's input to one window (and its attempts to close it).
class HoldInput : public QObject
{
public:
    explicit HoldInput(QWidget *window) : window_(window) { qApp->installEventFilter(this); }
    ~HoldInput() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->isWidgetType() || static_cast<QWidget *>(watched)->window() != window_)
            return false;
        switch (event->type()) {
        case QEvent::Close: event->ignore(); return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
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
    QWidget *window_;
};

} // namespace

void run(QWidget *parent, Job &job, const std::function<void()> &work)
{
    QEventLoop loop;
    HoldInput hold(parent->window());
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

    std::exception_ptr failure;
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
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace longwork
