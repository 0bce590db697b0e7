#include "app/panes.h"

#include "album/album.h"
#include "fileops/fsname.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
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
    if (value < 0 || value > album::maxCheckValue)
        return false;
    // Only a stored value can make a box grey; the user's clicks toggle it.
    box->setTristate(value == 2);
    box->setCheckState(value == 2 ? Qt::PartiallyChecked : value == 1 ? Qt::Checked : Qt::Unchecked);
    return true;
}

bool moveOnEnter(const QKeyEvent *event, QWidget *next)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    next->setFocus();
    return true;
}

bool isMenuKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
    return event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && held == Qt::ShiftModifier);
}

QPoint menuPoint(const QWidget *control)
{
    if (const auto *view = qobject_cast<const QAbstractItemView *>(control)) {
        const QRect item = view->visualRect(view->currentIndex());
        if (item.isValid() && view->viewport()->rect().intersects(item))
            return view->viewport()->mapToGlobal(item.bottomLeft());
    }
    return control->mapToGlobal(QPoint(0, 0));
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

FolderWatch::FolderWatch(QObject *parent) : QObject(parent)
{
    quiet_.setSingleShot(true);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::noticed);
    connect(&quiet_, &QTimer::timeout, this, &FolderWatch::changed);
}

void FolderWatch::watch(const QStringList &folders)
{
    quiet_.stop();
    if (const QStringList old = watcher_.directories(); !old.isEmpty())
        watcher_.removePaths(old);
    // Qt's watcher spells the name in UTF-8 and would watch another folder.
    for (const QString &folder : folders)
        if (!folder.isEmpty() && fsname::isPlain(folder))
            watcher_.addPath(folder);
}

void FolderWatch::noticed()
{
    constexpr qint64 quietMs = 200, longestMs = 1000;
    if (!quiet_.isActive())
        burst_.start();
    quiet_.start(int(qBound(qint64(0), longestMs - burst_.elapsed(), quietMs)));
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
    connect(&watch_, &FolderWatch::changed, this, [this] {
        if (enterError(path_) == 0)
            refresh();
        else
            emit vanished();
    });
    connect(&above_, &FolderWatch::changed, this, [this] {
        if (enterError(path_) != 0)
            emit vanished();
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
    if (changed) {
        watch_.watch({path_});
        QStringList above;
        for (QString up = path_; up.size() > 1;)
            above.append(up = up.left(qMax(up.lastIndexOf(u'/'), 1)));
        above_.watch(above);
    }
    refresh();
    if (changed)
        emit pathChanged(path_);
    return true;
}

void DirList::refresh()
{
    const bool same = shown_ == path_;
    const QString highlighted = same && currentItem() ? currentItem()->data(Qt::UserRole).toString() : QString();
    const int scroll = verticalScrollBar()->value();
    clear();
    shown_ = path_;
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
    QListWidgetItem *kept = nullptr;
    auto add = [this, &highlighted, &kept](const QIcon &icon, const QString &text, const QString &target, int depth) {
        auto *item = new QListWidgetItem(icon, QString(depth * 2, u' ') + text, this);
        item->setData(Qt::UserRole, target);
        if (target == highlighted)
            kept = item;
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
    if (!kept) {
        setCurrentItem(current);
        scrollToItem(current);
        return;
    }
    setCurrentItem(kept);
    doItemsLayout();
    verticalScrollBar()->setValue(scroll);
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
    connect(&watch_, &FolderWatch::changed, this, &FileList::refresh);
}

void FileList::setPath(const QString &path)
{
    path_ = path;
    watch_.watch({path_});
    refresh();
}

void FileList::refresh()
{
    const bool same = shown_ == path_;
    QSet<QString> selected;
    const QString current = same && currentItem() ? currentItem()->text() : QString();
    const int scroll = verticalScrollBar()->value();
    if (same)
        for (const QListWidgetItem *item : selectedItems())
            selected.insert(item->text());
    setUpdatesEnabled(false);
    clear();
    shown_ = path_;
    if (!path_.isEmpty())
        addItems(fsname::listFiles(path_));
    if (same) {
        // One selection of whole runs: thousands of selected files are
        // selected again at once, not one by one.
        QItemSelection keep;
        int runStart = -1;
        for (int i = 0; i <= count(); ++i) {
            const bool in = i < count() && selected.contains(item(i)->text());
            if (in && runStart < 0)
                runStart = i;
            if (!in && runStart >= 0) {
                keep.select(model()->index(runStart, 0), model()->index(i - 1, 0));
                runStart = -1;
            }
            if (i < count() && !current.isEmpty() && item(i)->text() == current)
                setCurrentItem(item(i), QItemSelectionModel::NoUpdate);
        }
        selectionModel()->select(keep, QItemSelectionModel::Select);
        doItemsLayout();
        verticalScrollBar()->setValue(scroll);
    }
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

int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
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

void ClickLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // An outline in the highlight colour, as a focused text box has.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

ReleaseButton::ReleaseButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    // Only the keyboard clicks it: the mouse acts on release, below.
    setAutoDefault(true);
    connect(this, &QAbstractButton::clicked, this, [this] { emit activated(keys_); });
}

void ReleaseButton::keyPressEvent(QKeyEvent *event)
{
    keys_ = event->modifiers();
    QPushButton::keyPressEvent(event);
}

void ReleaseButton::keyReleaseEvent(QKeyEvent *event)
{
    keys_ = event->modifiers();
    QPushButton::keyReleaseEvent(event);
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
        emit activated(event->modifiers());
}

void CaptionButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.replace(u'\r', u'\n');
    painter.drawControl(QStyle::CE_PushButton, option);
}

QSize MeasuredOnce::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (option.font != font_) {
        byRow_.clear();
        byText_.clear();
        font_ = option.font;
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    const auto row = size_t(index.row());
    if (row < byRow_.size() && byRow_[row].first == text)
        return byRow_[row].second;
    auto known = byText_.constFind(text);
    if (known == byText_.cend()) {
        // Texts replaced long ago are forgotten now and then; a full photo
        // list fits several times over.
        if (byText_.size() >= (1 << 17))
            byText_.clear();
        known = byText_.insert(text, QStyledItemDelegate::sizeHint(option, index));
    }
    if (row >= byRow_.size())
        byRow_.resize(row + 1);
    byRow_[row] = {text, *known};
    return *known;
}

CaptionEdit::CaptionEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

void CaptionEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText() || !source->text().contains(u'\t')) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData plain;
    plain.setText(source->text().replace(u'\t', u' '));
    QPlainTextEdit::insertFromMimeData(&plain);
}
