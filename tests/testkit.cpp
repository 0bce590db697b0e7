#include "testkit.h"

#include "app/longwork.h"
#include "app/main1.h"
#include "fileops/fsname.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <fcntl.h>
#include <ftw.h>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <QPointer>

namespace testkit {

Sandbox::Sandbox()
    : oldCwd_(QDir::currentPath()), oldConfig_(qgetenv("XDG_CONFIG_HOME")), oldState_(qgetenv("XDG_STATE_HOME"))
{
    qputenv("XDG_STATE_HOME", QFile::encodeName(folder(QStringLiteral("state"))));
    QDir().mkpath(dir_.path() + QStringLiteral("/config"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/config")));
    QDir::setCurrent(folder(QStringLiteral("work")));
}

Sandbox::~Sandbox()
{
    // Qt's own removal cannot reach names that are not UTF-8; nor does this
    // go into a file system mounted inside.
    nftw(QFile::encodeName(dir_.path()).constData(),
         [](const char *path, const struct stat *, int, FTW *at) { return at->level > 0 ? (::remove(path), 0) : 0; }, 16,
         FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
    QDir::setCurrent(oldCwd_);
    qputenv("XDG_CONFIG_HOME", oldConfig_);
    qputenv("XDG_STATE_HOME", oldState_);
}

QString Sandbox::folder(const QString &name) const
{
    const QString p = dir_.path() + u'/' + name;
    QDir().mkpath(p);
    return p;
}

void Sandbox::touch(const QString &folder, const QStringList &names) const
{
    // Names that are not UTF-8 too, which Qt's own file classes cannot reach.
    for (const QString &n : names) {
        const int fd = ::open(fsname::encode(folder + u'/' + n).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            continue;
        const QByteArray content = fsname::encode(n);
        EXPECT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
        ::close(fd);
    }
}

Modals::Modals()
{
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
    timer_.start();
}

QStringList Modals::texts() const
{
    QStringList out;
    for (const Shown &s : shown)
        out.append(s.text);
    return out;
}

// The work is queued rather than done in the timer's slot: a box opened by
// a chosen menu item runs its own event loop, in which the timer must fire
// again to answer it.
void Modals::poll()
{
    if (pending_)
        return;
    QWidget *w = QApplication::activePopupWidget();
    if (!qobject_cast<QMenu *>(w))
        w = QApplication::activeModalWidget();
    if (!w || !w->isVisible())
        return;
    const bool awaited = !windows_.empty() && w->objectName() == windows_.front().first;
    if (!qobject_cast<QMenu *>(w) && !qobject_cast<QMessageBox *>(w) && !qobject_cast<QFileDialog *>(w) && !awaited)
        return;
    pending_ = true;
    QPointer<QWidget> target(w);
    QMetaObject::invokeMethod(
        this,
        [this, target] {
            pending_ = false;
            if (target && target->isVisible())
                handle(target);
        },
        Qt::QueuedConnection);
}

void Modals::handle(QWidget *w)
{
    if (auto *menu = qobject_cast<QMenu *>(w)) {
        menusOpened.append(menu->objectName());
        const QString wanted = choices_.empty() ? QString() : choices_.front();
        if (!choices_.empty())
            choices_.pop_front();
        QAction *chosen = nullptr;
        for (QAction *a : menu->actions())
            if (!wanted.isEmpty() && a->objectName() == wanted)
                chosen = a;
        if (!chosen) {
            QTest::keyClick(menu, Qt::Key_Escape);
            return;
        }
        // The item acts inside the menu's own loop, before exec() returns,
        // as a click does.
        chosen->activate(QAction::Trigger);
        menu->close();
        return;
    }
    if (auto *box = qobject_cast<QMessageBox *>(w)) {
        Shown s{box->windowTitle(), box->text(), box->icon(), {}, box->textFormat(), box->size()};
        for (QAbstractButton *b : box->buttons())
            s.buttons.append(b->text());
        shown.append(s);
        if (enter_ && answers_.empty()) {
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
            return;
        }
        QMessageBox::StandardButton want = QMessageBox::NoButton;
        if (!answers_.empty()) {
            want = answers_.front();
            answers_.pop_front();
        } else {
            want = box->button(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Yes;
        }
        if (QAbstractButton *b = box->button(want))
            b->click();
        else
            box->reject();
        return;
    }
    if (!windows_.empty() && w->objectName() == windows_.front().first) {
        auto handler = std::move(windows_.front().second);
        windows_.pop_front();
        pending_ = true;
        handler(w);
        pending_ = false;
        return;
    }
    if (auto *dialog = qobject_cast<QFileDialog *>(w)) {
        if (dialogs_.empty()) {
            dialog->reject();
            return;
        }
        auto handler = std::move(dialogs_.front());
        dialogs_.pop_front();
        // A handler may wait for the dialog to settle: the dialog is its own
        // until it returns.
        pending_ = true;
        handler(dialog);
        pending_ = false;
    }
}

std::function<void(QFileDialog *)> pick(const QString &path)
{
    return [path](QFileDialog *d) {
        // selectFile() leaves the name box alone while it has the focus, and
        // an open dialog finds no file its model has not listed yet: type
        // the path, as a user would.
        if (auto *name = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        else
            d->selectFile(path);
        QMetaObject::invokeMethod(d, "accept");
    };
}

Tmpfs::Tmpfs(const QString &path, const char *options) : path_(QFile::encodeName(path))
{
    mounted_ = ::mount("tmpfs", path_.constData(), "tmpfs", 0, options) == 0;
    if (!mounted_)
        why_ = std::string("cannot mount a tmpfs here (") + std::strerror(errno) + ")";
}

Tmpfs::~Tmpfs()
{
    if (mounted_)
        ::umount2(path_.constData(), MNT_DETACH);
}

bool Tmpfs::makeReadOnly()
{
    return ::mount(nullptr, path_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

void Tmpfs::fill() const
{
    QFile filler(QFile::decodeName(path_) + QStringLiteral("/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
}

namespace {

int capabilities(bool set, __user_cap_data_struct data[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return int(::syscall(set ? SYS_capset : SYS_capget, &header, data));
}

} // namespace

AsUser::AsUser()
{
    __user_cap_data_struct data[2] = {};
    if (capabilities(false, data) != 0) {
        why_ = std::string("cannot read this thread's capabilities (") + std::strerror(errno) + ")";
        return;
    }
    saved_[0] = data[0].effective;
    saved_[1] = data[1].effective;
    data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    if (capabilities(true, data) != 0) {
        why_ = std::string("cannot set this thread's capabilities aside (") + std::strerror(errno) + ")";
        return;
    }
    dropped_ = true;
    // Whatever else lets this process through would make the test prove nothing.
    QTemporaryDir probe;
    const QByteArray shut = QFile::encodeName(probe.path() + QStringLiteral("/shut"));
    ::mkdir(shut.constData(), 0);
    const int fd = ::open(shut.constData(), O_RDONLY | O_DIRECTORY);
    active_ = fd < 0;
    if (fd >= 0) {
        ::close(fd);
        why_ = "file permissions do not hold for this process";
    }
    ::rmdir(shut.constData());
}

AsUser::~AsUser()
{
    if (!dropped_)
        return;
    __user_cap_data_struct data[2] = {};
    capabilities(false, data);
    data[0].effective = saved_[0];
    data[1].effective = saved_[1];
    capabilities(true, data);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::unique_ptr<main1> window()
{
    return std::make_unique<main1>();
}

WhileLongWork::WhileLongWork(QWidget *window, std::function<void(QDialog *)> act)
    : delay_(std::exchange(longwork::showAfterMs, 0))
{
    QObject::connect(&timer_, &QTimer::timeout, [this, window, act] {
        auto *progress = window->findChild<QDialog *>(QStringLiteral("longwork"));
        if (!progress || !progress->isVisible() || !label.isEmpty())
            return;
        label = progress->findChild<QLabel *>()->text();
        act(progress);
    });
    timer_.start(1);
}

WhileLongWork::~WhileLongWork()
{
    longwork::showAfterMs = delay_;
}

CancelLongWork::CancelLongWork(QWidget *window, std::function<void()> whileShown)
    : WhileLongWork(window, [whileShown](QDialog *progress) {
          if (whileShown)
              whileShown();
          QTest::mouseClick(progress->findChild<QAbstractButton *>(QStringLiteral("longworkCancel")), Qt::LeftButton);
      })
{
}

} // namespace testkit
