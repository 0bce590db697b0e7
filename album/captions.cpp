// The caption workflow: selecting an entry shows it, Command7 stores the
// caption in place and moves on, the pop-up menu deletes entries.
#include "album/photoentry.h"
#include "album/previewer.h"
#include "app/dirs.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"
#include "fileops/fsname.h"

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
        const QSignalBlocker quiet(List1);
        List1->item(i)->setText(photoentry::withCaption(List1->item(i)->text(), Text1->toPlainText()));
    }
    unselect(List1);
    select(List1, i + 1);
    Text1->setPlainText(photoentry::caption(selectedText(List1)));
    Text1->setFocus();
}

void main1::List1_MouseUp(const QPoint &globalPos)
{
    listrclk->exec(globalPos);
    // Whatever was chosen, even nothing, the box shows the selected entry again.
    list1sen();
    Label11_Click();
}

bool main1::List1_KeyDown(QKeyEvent *event)
{
    const int key = event->key();
    if (arrangeByKey(event) || moveOnEnter(event, Text1))
        return true;
    if (isMenuKey(event)) {
        List1_MouseUp(menuPoint(List1));
        return true;
    }
    if (key == Qt::Key_Delete) {
        // As the pop-up's item does, with the pop-up's closing steps.
        list1del_Click();
        list1sen();
        Label11_Click();
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
    const int k = qMax(selectedRow(List1), 0);
    if (k < List1->count())
        arrange(history::Splice{k, {List1->item(k)->text()}, {}});
    unselect(List1);
    select(List1, k);
}

void main1::zenclr_Click()
{
    arrange(history::Splice{0, itemTexts(List1), {}});
}
