// The caption workflow: selecting an entry shows it, Command7 stores the
// caption in place and moves on, the pop-up menu deletes entries. What is
// typed for an entry is never dropped: leaving the entry stores it first.
#include "album/history.h"
#include "album/photoentry.h"
#include "album/previewer.h"
#include "app/dirs.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"
#include "fileops/fsname.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>

namespace {

const QString registerFirst = QStringLiteral("ファイルを登録してください。");

// Opens the list's pop-up on the release of the right button. The right
// press is kept from the list so it never moves the selection: the pop-up
// acts on the entry selected before.
class RightRelease : public QObject
{
public:
    RightRelease(QWidget *area, std::function<void(const QPoint &)> onRelease)
        : QObject(area), area_(area), onRelease_(std::move(onRelease))
    {
        area->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type t = event->type();
        if (watched != area_
            || (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonDblClick && t != QEvent::MouseButtonRelease))
            return false;
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::RightButton)
            return false;
        if (t == QEvent::MouseButtonRelease && area_->rect().contains(mouse->position().toPoint()))
            onRelease_(mouse->globalPosition().toPoint());
        return true;
    }

private:
    QWidget *area_;
    std::function<void(const QPoint &)> onRelease_;
};

QString selectedText(const QListWidget *list)
{
    const int row = selectedRow(list);
    return row < 0 ? QString() : list->item(row)->text();
}

// Leaves nothing selected without raising the selection handling.
void unselect(QListWidget *list)
{
    const QSignalBlocker quiet(list);
    list->selectionModel()->clear();
}

// Selects row, which raises the selection handling at once; a row past
// either end selects nothing.
void select(QListWidget *list, int row)
{
    if (row >= 0 && row < list->count())
        list->setCurrentRow(row);
}

void showPicture(QLabel *image, const QImage &picture)
{
    if (picture.isNull())
        image->clear();
    else
        image->setPixmap(QPixmap::fromImage(picture));
}

} // namespace

void main1::connectCaptions()
{
    previewer_ = new Previewer(this);
    connect(previewer_, &Previewer::ready, this, [this](const QImage &picture) { showPicture(Image1, picture); });
    // A change of the selection, and only that, shows the entry: clicking the
    // entry already selected keeps what is being typed.
    connect(List1, &QListWidget::itemSelectionChanged, this, &main1::List1_Click);
    // The entry the caption box is typed for. Kept at each change of the
    // box, since a list about to be emptied has already lost its selection.
    connect(Text1, &QPlainTextEdit::textChanged, this, [this] {
        const QModelIndexList selected = List1->selectionModel()->selectedIndexes();
        captionEntry_ = selected.isEmpty() ? QPersistentModelIndex() : QPersistentModelIndex(selected.first());
    });
    // A list replaced as a whole (全ﾌｧｲﾙ選択, a load, a folder change) has
    // nothing selected, so the box and the preview show nothing either: a
    // caption or photo left over would be typed for, or deleted with, the
    // wrong entry. No photo is shown, so the preview opens none.
    connect(List1->model(), &QAbstractItemModel::modelReset, this, [this] {
        if (arranging_ || selectedRow(List1) >= 0)
            return;
        Text1->clear();
        Image1->clear();
        previewer_->forget();
        dirs::imgpath.clear();
    });
    connect(Command7, &QPushButton::clicked, this, &main1::Command7_Click);
    new RightRelease(List1->viewport(), [this](const QPoint &at) { List1_MouseUp(at); });
    connect(list1del, &QAction::triggered, this, &main1::list1del_Click);
    connect(zenclr, &QAction::triggered, this, &main1::zenclr_Click);
}

void main1::List1_Click()
{
    if (List1->count() == 0) {
        messagebox::show(this, registerFirst);
        return;
    }
    keepTyping();
    list1sen();
    Label11_Click();
}

void main1::list1sen()
{
    const QString entry = selectedText(List1);
    Text1->setPlainText(photoentry::caption(entry));
    dirs::imgpath = fsname::join(Dir1->path(), photoentry::fileName(entry));
    const QSize box = Image1->contentsRect().size();
    // A picture not decoded yet shows when it is; until then the box is empty.
    showPicture(Image1, previewer_->request(dirs::imgpath, box).value_or(QImage()));
    // The next photo decodes while this one's caption is typed, so that
    // registering it shows the next one at once.
    const int next = selectedRow(List1) + 1;
    const bool hasNext = next > 0 && next < List1->count();
    previewer_->prefetch(
        hasNext ? fsname::join(Dir1->path(), photoentry::fileName(List1->item(next)->text())) : QString(), box);
}

void main1::Command7_Click()
{
    const int i = selectedRow(List1);
    if (i >= 0) {
        const QString entry = List1->item(i)->text();
        arrange(history::Caption{i, entry, photoentry::withCaption(entry, Text1->toPlainText())});
    }
    unselect(List1);
    // The next entry shows as it is selected; past the last one nothing is
    // selected, and nothing shows.
    select(List1, i + 1);
    if (selectedRow(List1) < 0)
        list1sen();
    Text1->setFocus();
}

void main1::List1_MouseUp(const QPoint &globalPos)
{
    // Whatever is chosen, even nothing, the caption box is left alone: an
    // item that takes the entry shown away empties it, and a sort keeps the
    // typing with its entry.
    listrclk->exec(globalPos);
    Label11_Click();
}

bool main1::List1_KeyDown(QKeyEvent *event)
{
    const int key = event->key();
    if (arrangeByKey(event))
        return true;
    // The caption about to be typed needs an entry to go to.
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && selectedRow(List1) < 0)
        select(List1, 0);
    if (moveOnEnter(event, Text1))
        return true;
    if (isMenuKey(event)) {
        List1_MouseUp(menuPoint(List1));
        return true;
    }
    if (key == Qt::Key_Delete) {
        // As the pop-up's item does, but only for an entry the user chose:
        // with none, the item would take the first, perhaps out of sight.
        if (selectedRow(List1) >= 0) {
            list1del_Click();
            Label11_Click();
        }
        return true;
    }
    // The list marks an entry current without selecting it when the focus
    // arrives: the first arrow selects the first entry rather than moving
    // past it.
    if ((key == Qt::Key_Down || key == Qt::Key_Up) && List1->count() > 0 && selectedRow(List1) < 0) {
        select(List1, 0);
        return true;
    }
    return false;
}

void main1::list1del_Click()
{
    keepTyping();
    const int k = qMax(selectedRow(List1), 0);
    if (k < List1->count())
        arrange(history::Splice{k, {List1->item(k)->text()}, {}});
    unselect(List1);
    select(List1, k);
}

void main1::zenclr_Click()
{
    keepTyping();
    arrange(history::Splice{0, itemTexts(List1), {}});
}

void main1::keepTyping()
{
    if (!captionEntry_.isValid())
        return;
    const int row = captionEntry_.row();
    const QString entry = List1->item(row)->text();
    const QString typed = Text1->toPlainText();
    if (photoentry::caption(entry) != typed)
        arrange(history::Caption{row, entry, photoentry::withCaption(entry, typed)});
}
