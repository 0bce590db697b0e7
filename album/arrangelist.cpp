// Arranging the photo list: an entry moves with Alt+arrows or the mouse,
// photos come in dropped from a file manager, the list sorts by shot date
// or by name, and Ctrl+Z takes any of it back, a caption stored included. A
// caption travels inside its entry, so it always goes along, and so does
// the one being typed.
#include "album/arranging.h"
#include "album/dropping.h"
#include "album/history.h"
#include "album/photoentry.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"

#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextDocument>

#include <utility>

namespace {

const QString entryFormat = QStringLiteral("application/x-kamerio-entry");

// A dragged entry is known by its row and by this process, so that an
// entry dragged out of another window never moves one here.
QByteArray draggedEntry(int row)
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ' ' + QByteArray::number(row);
}

std::optional<int> draggedRow(const QMimeData *data)
{
    const QList<QByteArray> parts = data->data(entryFormat).split(' ');
    if (parts.size() != 2)
        return std::nullopt;
    bool isPid = false, isRow = false;
    const qint64 pid = parts[0].toLongLong(&isPid);
    const int row = parts[1].toInt(&isRow);
    if (!isPid || !isRow || pid != QCoreApplication::applicationPid())
        return std::nullopt;
    return row;
}

// Lets the mouse drag an entry to another place in the list and takes the
// files a file manager drops on it. A line between two entries shows where
// a dragged entry would land.
class ListDrag : public QObject
{
public:
    explicit ListDrag(main1 &w) : QObject(w.List1), w_(w), list_(w.List1), line_(new QWidget(w.List1->viewport()))
    {
        list_->viewport()->installEventFilter(this);
        list_->viewport()->setAcceptDrops(true);
        line_->setAutoFillBackground(true);
        line_->setBackgroundRole(QPalette::Highlight);
        line_->hide();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            pressed(static_cast<QMouseEvent *>(event));
            return false;
        case QEvent::MouseMove:
            return moved(static_cast<QMouseEvent *>(event));
        case QEvent::MouseButtonRelease:
            pressRow_ = -1;
            // The press that started a drag ends with it: the entry under
            // the release is not selected.
            return std::exchange(dragged_, false);
        case QEvent::DragEnter:
        case QEvent::DragMove:
            over(static_cast<QDragMoveEvent *>(event));
            return true;
        case QEvent::DragLeave:
            line_->hide();
            return true;
        case QEvent::Drop:
            dropped(static_cast<QDropEvent *>(event));
            return true;
        default:
            return false;
        }
    }

private:
    void pressed(const QMouseEvent *e)
    {
        dragged_ = false;
        pressPos_ = e->position().toPoint();
        pressRow_ = e->button() == Qt::LeftButton ? list_->indexAt(pressPos_).row() : -1;
    }

    // The left button held down on an entry drags it; it no longer selects
    // the entries it passes over.
    bool moved(const QMouseEvent *e)
    {
        if ((pressRow_ < 0 && !dragged_) || !(e->buttons() & Qt::LeftButton))
            return false;
        if (pressRow_ >= 0
            && (e->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
            auto *data = new QMimeData;
            data->setData(entryFormat, draggedEntry(pressRow_));
            auto *drag = new QDrag(list_);
            drag->setMimeData(data);
            pressRow_ = -1;
            dragged_ = true;
            drag->exec(Qt::MoveAction);
        }
        return true;
    }

    // The row a dragged entry would land before: the entry under the
    // pointer when it is over that entry's upper half, the next one when
    // over its lower half, and after the last one below them all.
    int insertAt(const QPoint &pos) const
    {
        const QModelIndex under = list_->indexAt(QPoint(1, pos.y()));
        if (!under.isValid())
            return list_->count();
        return under.row() + (pos.y() >= list_->visualRect(under).center().y() ? 1 : 0);
    }

    void over(QDragMoveEvent *e)
    {
        const QPoint pos = e->position().toPoint();
        if (draggedRow(e->mimeData())) {
            e->acceptProposedAction();
            // Near the top or bottom edge the list scrolls on, so that an
            // entry can travel further than the list shows.
            const int edge = list_->fontMetrics().height();
            if (pos.y() < edge)
                list_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
            else if (pos.y() > list_->viewport()->height() - edge)
                list_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            showLine(insertAt(pos));
        } else if (!files(e).isEmpty()) {
            takeAsCopy(e);
        } else {
            e->ignore();
        }
    }

    // The local files dropped, read from the list of addresses as sent: Qt's
    // own reading of it would spoil a name that is not UTF-8.
    static QStringList files(const QDropEvent *e)
    {
        return dropping::localFiles(e->mimeData()->data(QStringLiteral("text/uri-list")));
    }

    // A photo dropped in is only named in the list: the drop is taken as a
    // copy, never as a move, after which a file manager would remove the
    // file.
    static bool takeAsCopy(QDropEvent *e)
    {
        for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction})
            if (e->possibleActions() & action) {
                e->setDropAction(action);
                e->accept();
                return true;
            }
        e->ignore();
        return false;
    }

    void showLine(int row)
    {
        int y = 0;
        if (row < list_->count())
            y = list_->visualItemRect(list_->item(row)).top();
        else if (row > 0)
            y = list_->visualItemRect(list_->item(row - 1)).bottom() + 1;
        line_->setGeometry(0, y - 1, list_->viewport()->width(), 2);
        line_->show();
        line_->raise();
    }

    void dropped(QDropEvent *e)
    {
        line_->hide();
        if (const auto from = draggedRow(e->mimeData())) {
            e->acceptProposedAction();
            w_.List1_DragDrop(*from, insertAt(e->position().toPoint()));
        } else if (const QStringList paths = files(e); !paths.isEmpty()) {
            // A drop that registers nothing is refused, so that the file
            // manager does not take it for a copy made.
            const dropping::Dropped d =
                dropping::inFolder(paths, w_.Dir1->path(), photoentry::anyFileWith(e->modifiers()));
            if (d.elsewhere || d.names.isEmpty() || !takeAsCopy(e)) {
                e->setDropAction(Qt::IgnoreAction);
                e->ignore();
            }
            // The file manager waits until the drop is answered: the photos
            // are registered, and any message shown, after that, in the
            // window made active, so that Ctrl+S saves here and not there.
            QMetaObject::invokeMethod(
                this,
                [this, paths, keys = e->modifiers()] {
                    w_.raise();
                    w_.activateWindow();
                    w_.List1_OLEDragDrop(paths, keys);
                },
                Qt::QueuedConnection);
        }
    }

    main1 &w_;
    QListWidget *list_;
    QWidget *line_;
    QPoint pressPos_;
    int pressRow_ = -1;
    bool dragged_ = false;
};

// Sets the rows an edit changes: texts only where the number of rows stays,
// so a long list keeps its items and only the changed ones are redrawn.
void setRows(QListWidget *list, const history::Rows &r)
{
    if (r.count == r.texts.size()) {
        for (qsizetype i = 0; i < r.count; ++i)
            if (QListWidgetItem *item = list->item(int(r.at + i)); item->text() != r.texts[i])
                item->setText(r.texts[i]);
        return;
    }
    if (r.at == 0 && r.count == list->count())
        list->clear();
    else
        for (qsizetype i = r.count; i-- > 0;)
            delete list->takeItem(int(r.at + i));
    list->insertItems(int(r.at), r.texts);
}

// Ctrl+Z goes back through a history, Ctrl+Shift+Z forward again.
enum class Way { None, Back, Forward };

Way undoWay(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() != Qt::Key_Z)
        return Way::None;
    if (held == Qt::ControlModifier)
        return Way::Back;
    if (held == (Qt::ControlModifier | Qt::ShiftModifier))
        return Way::Forward;
    return Way::None;
}

} // namespace

void main1::connectArranging()
{
    new ListDrag(*this);
    connect(sortdate, &QAction::triggered, this, &main1::sortdate_Click);
    connect(sortname, &QAction::triggered, this, &main1::sortname_Click);
    // Registering photos, loading a project or a folder that empties the
    // list changes it behind the history's back: the steps kept would no
    // longer fit, so they are forgotten.
    const auto forget = [this] {
        if (!arranging_)
            list1history_.clear();
    };
    onItemsChanged(List1, this, forget);
}

bool main1::arrangeByKey(const QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
    if (held == Qt::AltModifier && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        if (const auto move = history::stepped(selectedRow(List1), List1->count(), key == Qt::Key_Up ? -1 : 1))
            arrange(*move);
        return true;
    }
    if (const Way way = undoWay(event); way != Way::None) {
        replay(way == Way::Back ? list1history_.undo() : list1history_.redo());
        return true;
    }
    return false;
}

bool main1::undoInCaption(const QKeyEvent *event)
{
    const Way way = undoWay(event);
    const QTextDocument *own = Text1->document();
    if (way == Way::None || (way == Way::Back ? own->isUndoAvailable() : own->isRedoAvailable()))
        return false;
    replay(way == Way::Back ? list1history_.undo() : list1history_.redo());
    return true;
}

void main1::List1_DragDrop(int from, int insertAt)
{
    if (const auto move = history::dropped(from, insertAt, List1->count()))
        arrange(*move);
}

void main1::List1_OLEDragDrop(const QStringList &paths, Qt::KeyboardModifiers modifiers)
{
    const dropping::Dropped d = dropping::inFolder(paths, Dir1->path(), photoentry::anyFileWith(modifiers));
    if (d.elsewhere) {
        messagebox::show(this, QStringLiteral("写真リストに登録できるのは、次のディレクトリのファイルだけです。\n%1")
                                   .arg(Dir1->path()));
        return;
    }
    // Files left out by the JPEG rule are named in one notice of their
    // own, which then stands for the usual one of no photo.
    if (!d.names.isEmpty() || d.notJpeg == 0) {
        const int at = List1->count();
        QStringList added;
        {
            const QScopedValueRollback<bool> recorded(arranging_, true);
            added = addPhotos(d.names, modifiers);
        }
        list1history_.record(history::Splice{at, {}, added});
    }
    if (d.notJpeg > 0)
        messagebox::show(this, QStringLiteral("JPEG 以外の %1 個のﾌｧｲﾙは登録しませんでした"
                                              "（Shift を押しながらドロップすると登録できます）。")
                                   .arg(d.notJpeg));
}

void main1::sortdate_Click()
{
    keepTyping();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const arranging::Order order = arranging::sortByShotDate(itemTexts(List1), Dir1->path());
    QApplication::restoreOverrideCursor();
    arrange(history::Reorder{order});
}

void main1::sortname_Click()
{
    keepTyping();
    arrange(history::Reorder{arranging::sortByName(itemTexts(List1))});
}

void main1::arrange(const history::Edit &edit)
{
    perform(edit);
    list1history_.record(edit);
}

void main1::perform(const history::Edit &edit)
{
    const QScopedValueRollback<bool> recorded(arranging_, true);
    const int shown = selectedRow(List1);
    const qsizetype follows = shown < 0 ? -1 : history::follow(edit, shown);
    const qsizetype typedFor = captionEntry_.isValid() ? history::follow(edit, captionEntry_.row()) : -1;
    // A box that holds typing of its own keeps it; one that shows the
    // registered caption goes on showing it, as an undone caption comes back.
    const bool boxShowsEntry = shown >= 0 && Text1->toPlainText() == photoentry::caption(List1->item(shown)->text());
    {
        // The entry shown stays shown: Text1 keeps what is being typed.
        const QSignalBlocker quiet(List1);
        setRows(List1, history::rows(edit, [this](qsizetype row) { return List1->item(int(row))->text(); }));
        if (follows < 0)
            List1->selectionModel()->clear();
        else
            List1->setCurrentRow(int(follows));
    }
    // The entry typed for is followed by what it is, not by its row.
    captionEntry_ =
        typedFor < 0 ? QPersistentModelIndex() : QPersistentModelIndex(List1->model()->index(int(typedFor), 0));
    if (shown >= 0 && follows < 0) {
        // The entry shown went away: the box and the preview empty as they
        // do when the list is cleared.
        list1sen();
    } else if (boxShowsEntry) {
        const QString caption = photoentry::caption(List1->item(int(follows))->text());
        if (Text1->toPlainText() != caption)
            Text1->setPlainText(caption);
    }
}

void main1::replay(const std::optional<history::Edit> &edit)
{
    if (!edit)
        return;
    perform(*edit);
    Label11_Click();
}
