// What the window tests share: an isolated settings store and folder per
// test, and an answerer for the modal boxes, dialogs and pop-up menus the
// window opens while a test drives it.
#pragma once

#include <QDir>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <utility>
#include <ostream>
#include <string>

// Readable failure output for Qt strings.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '{';
    for (const QString &s : l)
        *os << " \"" << s.toStdString() << '"';
    *os << " }";
}

class QDialog;
class QFileDialog;
class QMenu;
class main1;

namespace testkit {

// A fresh settings store, state folder (the safety copy) and working
// folder, removed afterwards.
class Sandbox
{
public:
    Sandbox();
    ~Sandbox();
    QString path() const { return dir_.path(); }
    // A sub-folder of the sandbox, created on demand.
    QString folder(const QString &name) const;
    // Creates files with the given contents (empty when none given).
    void touch(const QString &folder, const QStringList &names) const;

private:
    QTemporaryDir dir_;
    QString oldCwd_;
    QByteArray oldConfig_;
    QByteArray oldState_;
};

struct Shown
{
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QStringList buttons;
    Qt::TextFormat format;
    QSize size;
};

// Watches for modal widgets while alive. Message boxes are recorded and
// answered (queued answers first, then OK or Yes); file dialogs and pop-up
// menus go to queued handlers, or are cancelled / closed with Escape; other
// windows go to the handler queued for their name, and are left alone
// without one.
class Modals : public QObject
{
public:
    Modals();
    void answer(QMessageBox::StandardButton button) { answers_.push_back(button); }
    void onFileDialog(std::function<void(QFileDialog *)> handler) { dialogs_.push_back(std::move(handler)); }
    // Hands the next modal window of that object name to handler.
    void onWindow(const QString &objectName, std::function<void(QWidget *)> handler)
    {
        windows_.emplace_back(objectName, std::move(handler));
    }
    // Chooses the pop-up item of that object name next time a menu opens.
    void choose(const QString &actionName) { choices_.push_back(actionName); }
    // Message boxes without a queued answer are answered with Enter, as a
    // user on the keyboard does, rather than by a click on OK or Yes.
    void answerWithEnter() { enter_ = true; }
    QList<Shown> shown;
    QStringList texts() const;
    QStringList menusOpened;

private:
    void poll();
    void handle(QWidget *w);
    QTimer timer_;
    bool pending_ = false;
    bool enter_ = false;
    std::deque<QMessageBox::StandardButton> answers_;
    std::deque<std::function<void(QFileDialog *)>> dialogs_;
    std::deque<std::pair<QString, std::function<void(QWidget *)>>> windows_;
    std::deque<QString> choices_;
};

// While alive, long work shows its progress window at once, and act runs
// once, given that window, as soon as it shows; label is what it said.
class WhileLongWork
{
public:
    WhileLongWork(QWidget *window, std::function<void(QDialog *progress)> act);
    ~WhileLongWork();
    QString label;

private:
    QTimer timer_;
    int delay_;
};

// Presses the progress window's キャンセル as soon as it shows, after
// whileShown has run.
class CancelLongWork : public WhileLongWork
{
public:
    explicit CancelLongWork(QWidget *window, std::function<void()> whileShown = {});
};

// Accepts a file dialog with the given full path.
std::function<void(QFileDialog *)> pick(const QString &path);

// A small file system of its own on a folder (a full disk, a read-only
// folder), for as long as the object lives. Tests skip with why() where the
// machine does not allow mounting.
class Tmpfs
{
public:
    Tmpfs(const QString &path, const char *options);
    ~Tmpfs();
    bool mounted() const { return mounted_; }
    std::string why() const { return why_; }
    bool makeReadOnly();
    // Fills the disk up with a file named "filler".
    void fill() const;

private:
    QByteArray path_;
    bool mounted_ = false;
    std::string why_;
};

// File permissions hold for this thread, as they do for any user, while the
// object lives: root's power to read and search every folder is set aside.
// Tests skip with why() where that cannot be done.
class AsUser
{
public:
    AsUser();
    ~AsUser();
    bool active() const { return active_; }
    std::string why() const { return why_; }

private:
    bool active_ = false;
    bool dropped_ = false;
    std::string why_;
    unsigned saved_[2] = {0, 0};
};

// Writes a whole file, failing the test when it cannot.
void writeFile(const QString &path, const QByteArray &bytes);

// Reads a whole file; empty when missing.
QByteArray bytes(const QString &path);

// The window, built as the program builds it.
std::unique_ptr<main1> window();

} // namespace testkit
