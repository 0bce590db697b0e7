// The small widgets main1 is built from where a plain Qt class lacks an event
// the window needs.
#pragma once

#include <QComboBox>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>

#include <type_traits>
#include <utility>
#include <vector>

class QCheckBox;
class QKeyEvent;

// The texts of a list's items, first to last.
QStringList itemTexts(const QListWidget *list);

// The row of the selected item of a single-selection list, or -1.
int selectedRow(const QListWidget *list);

// Calls changed, in context, after every change of a list's items: rows
// added, removed or moved, a text changed, the list cleared or reordered.
template <class Context, class Changed>
void onItemsChanged(const QListWidget *list, const Context *context, Changed changed)
{
    const QAbstractItemModel *m = list->model();
    QObject::connect(m, &QAbstractItemModel::rowsInserted, context, changed);
    QObject::connect(m, &QAbstractItemModel::rowsRemoved, context, changed);
    QObject::connect(m, &QAbstractItemModel::rowsMoved, context, changed);
    QObject::connect(m, &QAbstractItemModel::dataChanged, context, changed);
    QObject::connect(m, &QAbstractItemModel::modelReset, context, changed);
    QObject::connect(m, &QAbstractItemModel::layoutChanged, context, changed);
}

// A check box as a number: 0 unchecked, 1 checked, 2 grey. Setting any other
// value is refused and changes nothing.
int checkValue(const QCheckBox *box);
bool setCheckValue(QCheckBox *box, int value);

// Places are given in twips; the screen has 15 twips to a pixel.
inline int px(int twips)
{
    return (twips + 7) / 15;
}

// A new control named name, at its place in twips within parent.
template <class W, class... Args>
W *placed(QWidget *parent, const char *name, int left, int top, int width, int height, Args &&...args)
{
    W *w = nullptr;
    if constexpr (std::is_base_of_v<QLineEdit, W>) {
        // A line edit lays out the text it is made with before it has taken
        // its parent's font, in the application's font: given afterwards, the
        // text is shaped once, in the font it is shown in, and start-up loads
        // no font the window never shows.
        w = new W(parent);
        (w->setText(std::forward<Args>(args)), ...);
    } else {
        w = new W(std::forward<Args>(args)..., parent);
    }
    w->setObjectName(QLatin1String(name));
    w->setGeometry(px(left), px(top), px(width), px(height));
    return w;
}

// Enter (on the main keyboard or the keypad) never types into a field: it
// moves the focus on to next, the control that acts next. True when the key
// was Enter.
bool moveOnEnter(const QKeyEvent *event, QWidget *next);

// The keys that open the focused control's pop-up menu: the Menu key, and
// Shift+F10 for keyboards without one.
bool isMenuKey(const QKeyEvent *event);

// Where a pop-up menu opened from the keyboard appears: at the current
// item of a list, or at the control's top-left corner.
QPoint menuPoint(const QWidget *control);

// Gives w the font base, made smaller as far as its caption needs to fit the
// fixed place it stands in, down to 9 pixels; with narrower, its letters then
// get narrower too, down to half their width.
void fitCaption(QWidget *w, const QFont &base, bool narrower = false);

// Fits the caption of every label, button and check box under root.
void fitCaptions(QWidget *root);

// Tells when the entries of a folder change on disk: files or folders added,
// removed or renamed by any program. A burst of changes is told once, when
// it has been quiet for a moment or at the latest a second after it began,
// so a copy of a thousand photos costs one refresh, and a long one a refresh
// a second. A folder whose name is not valid UTF-8 is not watched.
class FolderWatch : public QObject
{
    Q_OBJECT
public:
    explicit FolderWatch(QObject *parent = nullptr);
    void watch(const QStringList &folders);

signals:
    void changed();

private:
    void noticed();
    QFileSystemWatcher watcher_;
    QTimer quiet_;
    QElapsedTimer burst_;
};

// Directory list: the ancestors of the current folder, then its sub-folders.
// A double-click or Enter on a folder opens it; setting the path from code
// raises the change at once, as a user's choice does. The sub-folders follow
// the disk by themselves.
class DirList : public QListWidget
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged)
public:
    explicit DirList(QWidget *parent = nullptr);
    QString path() const { return path_; }
    void setPath(const QString &path) { changeTo(path); }
    // Moves to path; false (and no change) when it cannot be entered, with
    // the reason (an errno value) in *error.
    bool changeTo(const QString &path, int *error = nullptr);
    // Re-reads the sub-folders from disk. Within the same folder the
    // highlighted folder and the scroll position stay.
    void refresh();

signals:
    void pathChanged(const QString &path);
    // The folder shown went away (removed, renamed, moved): the list stays
    // on it until told where to go.
    void vanished();
    void rightPressed(const QPoint &globalPos);
    // A folder the user opened could not be entered; the pane stayed.
    void refused(const QString &path, int error);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QString path_;
    QString shown_; // the folder the list was last filled for
    FolderWatch watch_;
    // The folders above: a folder renamed or moved is told of in its
    // parent, and one above it moved takes it along.
    FolderWatch above_;
    QIcon openIcon_;
    QIcon closedIcon_;
};

// File list: the regular files of one folder, bare names, natural order,
// following the disk by themselves.
class FileList : public QListWidget
{
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);
    QString path() const { return path_; }
    void setPath(const QString &path);
    // Re-reads the folder from disk. Within the same folder the selected
    // files, the current one and the scroll position stay, by name.
    void refresh();
    QStringList names() const;

signals:
    void rightReleased(const QPoint &globalPos);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString path_;
    QString shown_; // the folder the list was last filled for
    FolderWatch watch_;
};

// Drive list: asks for its volumes afresh whenever the user is about to
// choose among them (the list opens, a key or the wheel moves the choice),
// since a card or disk may have come or gone since they were last read.
class DriveList : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    void volumesWanted();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
};

// A label that reports mouse releases and double-clicks, and is outlined
// while it has the keyboard focus.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void released(Qt::MouseButton button, const QPoint &globalPos);
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

// A button whose caption may hold a carriage return, drawn as a line break.
class CaptionButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A button that acts on the release of any mouse button pressed on it, and
// on Space or Enter as a left click, and reports the keys held at that
// moment.
class ReleaseButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ReleaseButton(const QString &text, QWidget *parent = nullptr);

signals:
    void activated(Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    bool pressed_ = false;
    Qt::KeyboardModifiers keys_;
};

// The caption box. Tab moves the focus on, and a tab in pasted or dropped
// text becomes a space: a caption never holds one.
class CaptionEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit CaptionEdit(QWidget *parent = nullptr);

protected:
    void insertFromMimeData(const QMimeData *source) override;
};

// Draws a list's items as a plain list does, but measures each text only
// once: a list of tens of thousands of entries lays itself out again after
// every change, and measuring every entry anew would take a good part of a
// second each time. What a row held last is checked first, which is cheap
// when the row still holds the very same text.
class MeasuredOnce : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    mutable std::vector<std::pair<QString, QSize>> byRow_;
    mutable QHash<QString, QSize> byText_;
    mutable QFont font_;
};
