// The small widgets main1 is built from where a plain Qt class lacks an event
// the window needs.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

class QCheckBox;

// The texts of a list's items, first to last.
QStringList itemTexts(const QListWidget *list);

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
    W *w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(px(left), px(top), px(width), px(height));
    return w;
}

// Gives w the font base, made smaller as far as its caption needs to fit the
// fixed place it stands in, down to 9 pixels; with narrower, its letters then
// get narrower too, down to half their width.
void fitCaption(QWidget *w, const QFont &base, bool narrower = false);

// Fits the caption of every label, button and check box under root.
void fitCaptions(QWidget *root);

// Directory list: the ancestors of the current folder, then its sub-folders.
// A double-click or Enter on a folder opens it; setting the path from code
// raises the change at once, as a user's choice does.
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
    // Re-reads the sub-folders from disk.
    void refresh();

signals:
    void pathChanged(const QString &path);
    void rightPressed(const QPoint &globalPos);
    // A folder the user opened could not be entered; the pane stayed.
    void refused(const QString &path, int error);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QString path_;
    QIcon openIcon_;
    QIcon closedIcon_;
};

// File list: the regular files of one folder, bare names, natural order.
class FileList : public QListWidget
{
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);
    QString path() const { return path_; }
    void setPath(const QString &path);
    void refresh();
    QStringList names() const;

signals:
    void rightReleased(const QPoint &globalPos);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString path_;
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

// A label that reports mouse releases and double-clicks.
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

// A button that acts on the release of any mouse button pressed on it and
// reports the keys held at that moment; it has no keyboard action.
class ReleaseButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

signals:
    void mouseReleased(Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool pressed_ = false;
};
