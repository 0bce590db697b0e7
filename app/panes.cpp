#include "app/panes.h"

#include "fileops/fsname.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Why a folder cannot be entered (an errno value), or 0. It must be
// readable, to list it, and searchable, to reach its files: opening its "."
// for reading asks both at once.
int enterError(const QString &path)
{
    const int fd = ::open((fsname::encode(path) + "/.").constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

QString cleanAbsolute(const QString &path)
{
    QString p = QDir::cleanPath(path);
    if (!p.startsWith(u'/'))
        p = QDir::cleanPath(QDir::currentPath() + u'/' + p);
    return p;
}

bool clipped(const QWidget *w)
{
    if (const auto *label = qobject_cast<const QLabel *>(w)) {
        if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
            return false;
        const int frame = 2 * label->frameWidth();
        if (label->wordWrap())
            return label->heightForWidth(label->width()) > label->height() - frame - 2;
        return label->fontMetrics().horizontalAdvance(label->text()) > label->width() - frame;
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(w)) {
        if (button->text().isEmpty())
            return false;
        const QSize hint = button->sizeHint();
        return hint.width() > button->width() + (qobject_cast<const QPushButton *>(w) ? 4 : 0);
    }
    return false;
}

} // namespace

int checkValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

bool setCheckValue(QCheckBox *box, int value)
{
    if (value < 0 || value > 2)
        return false;
    // Only a stored value can make a box grey; the user's clicks toggle it.
    box->setTristate(value == 2);
    box->setCheckState(value == 2 ? Qt::PartiallyChecked : value == 1 ? Qt::Checked : Qt::Unchecked);
    return true;
}

void fitCaption(QWidget *w, const QFont &base, bool narrower)
{
    QFont f = base;
    if (w->font() != f)
        w->setFont(f);
    while (clipped(w) && f.pixelSize() > 9) {
        f.setPixelSize(f.pixelSize() - 1);
        w->setFont(f);
    }
    // Smaller still would not be read: the letters get narrower instead.
    int stretch = f.stretch() == QFont::AnyStretch ? 100 : f.stretch();
    while (narrower && clipped(w) && stretch > 50) {
        stretch -= 5;
        f.setStretch(stretch);
        w->setFont(f);
    }
}

void fitCaptions(QWidget *root)
{
    const QList<QWidget *> widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets)
        if (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w))
            fitCaption(w, w->font());
}

DirList::DirList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const QString target = item->data(Qt::UserRole).toString();
        int error = 0;
        if (!changeTo(target, &error))
            emit refused(target, error);
    });
}

bool DirList::changeTo(const QString &path, int *error)
{
    if (path.isEmpty())
        return false;
    const QString p = cleanAbsolute(path);
    if (const int e = enterError(p); e != 0) {
        if (error)
            *error = e;
        return false;
    }
    const bool changed = p != path_;
    path_ = p;
    refresh();
    if (changed)
        emit pathChanged(path_);
    return true;
}

void DirList::refresh()
{
    clear();
    if (path_.isEmpty())
        return;
    // Looked up in the icon theme once: every folder change lists folders.
    if (openIcon_.isNull()) {
        openIcon_ = style()->standardIcon(QStyle::SP_DirOpenIcon);
        closedIcon_ = style()->standardIcon(QStyle::SP_DirClosedIcon);
    }
    const QIcon &open = openIcon_;
    const QIcon &closed = closedIcon_;
    QStringList parts = path_.split(u'/', Qt::SkipEmptyParts);
    QString at = QStringLiteral("/");
    auto add = [this](const QIcon &icon, const QString &text, const QString &target, int depth) {
        auto *item = new QListWidgetItem(icon, QString(depth * 2, u' ') + text, this);
        item->setData(Qt::UserRole, target);
        return item;
    };
    QListWidgetItem *current = add(open, at, at, 0);
    int depth = 1;
    for (const QString &part : parts) {
        at = fsname::join(at, part);
        current = add(open, part, at, depth++);
    }
    for (const QString &sub : fsname::listDirs(path_))
        add(closed, sub, fsname::join(path_, sub), depth);
    setCurrentItem(current);
    scrollToItem(current);
}

void DirList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        emit rightPressed(event->globalPosition().toPoint());
        return;
    }
    QListWidget::mousePressEvent(event);
}

FileList::FileList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
}

void FileList::setPath(const QString &path)
{
    path_ = path;
    refresh();
}

void FileList::refresh()
{
    setUpdatesEnabled(false);
    clear();
    if (!path_.isEmpty())
        addItems(fsname::listFiles(path_));
    setUpdatesEnabled(true);
}

QStringList itemTexts(const QListWidget *list)
{
    QStringList out;
    out.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

QStringList FileList::names() const
{
    return itemTexts(this);
}

void FileList::mouseReleaseEvent(QMouseEvent *event)
{
    QListWidget::mouseReleaseEvent(event);
    // A button released after the mouse left the pane is no request for its menu.
    if (event->button() == Qt::RightButton && viewport()->rect().contains(event->position().toPoint()))
        emit rightReleased(event->globalPosition().toPoint());
}

void DriveList::showPopup()
{
    emit volumesWanted();
    QComboBox::showPopup();
}

void DriveList::keyPressEvent(QKeyEvent *event)
{
    emit volumesWanted();
    QComboBox::keyPressEvent(event);
}

void DriveList::wheelEvent(QWheelEvent *event)
{
    emit volumesWanted();
    QComboBox::wheelEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (rect().contains(event->position().toPoint()))
        emit released(event->button(), event->globalPosition().toPoint());
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLabel::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void ReleaseButton::mousePressEvent(QMouseEvent *event)
{
    pressed_ = true;
    setDown(true);
    event->accept();
}

void ReleaseButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = pressed_;
    pressed_ = false;
    setDown(false);
    event->accept();
    if (wasPressed)
        emit mouseReleased(event->modifiers());
}

void CaptionButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.replace(u'\r', u'\n');
    painter.drawControl(QStyle::CE_PushButton, option);
}
