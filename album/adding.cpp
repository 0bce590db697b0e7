// Registering photos from the file pane into the photo list.
#include "album/photoentry.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"

#include <QListWidget>

namespace {

const QString noPhoto = QStringLiteral("ファイルがないか、jpgファイルではありません。\n"
                                       "jpgファイル以外を選択するには、shiftｷｰを押しながらボタンクリック！");

// Appends names to the photo list without passing its limit; returns those
// appended and tells the user about any left out.
QStringList append(main1 &w, const QStringList &names)
{
    const int room = photoentry::maxEntries - w.List1->count();
    const QStringList taken = names.size() > room ? names.first(qMax(room, 0)) : names;
    {
        const QSignalBlocker quiet(w.List1);
        w.List1->addItems(taken);
    }
    if (taken.size() < names.size())
        messagebox::show(&w, QStringLiteral("写真リストに登録できるのは%1枚までです。\n%2個のファイルは登録しませんでした。")
                              .arg(photoentry::maxEntries)
                              .arg(names.size() - taken.size()));
    return taken;
}

void replaceList(main1 &w, bool anyFile)
{
    w.keepTyping();
    {
        const QSignalBlocker quiet(w.List1);
        w.List1->clear();
    }
    const QStringList added = append(w, photoentry::photosAmong(w.File1->names(), anyFile));
    w.Label11_Click();
    if (added.isEmpty())
        messagebox::show(&w, noPhoto);
}

} // namespace

void main1::connectPhotos()
{
    connect(Command2, &ReleaseButton::activated, this, &main1::Command2_MouseUp);
    connect(Command3, &ReleaseButton::activated, this, &main1::Command3_MouseUp);
}

void main1::allselec()
{
    replaceList(*this, false);
}

void main1::Command2_MouseUp(Qt::KeyboardModifiers modifiers)
{
    replaceList(*this, photoentry::anyFileWith(modifiers));
}

void main1::Command3_MouseUp(Qt::KeyboardModifiers modifiers)
{
    QStringList selected;
    for (int i = 0; i < File1->count(); ++i)
        if (File1->item(i)->isSelected())
            selected.append(File1->item(i)->text());
    addPhotos(selected, modifiers);
}

QStringList main1::addPhotos(const QStringList &names, Qt::KeyboardModifiers modifiers)
{
    const QStringList added = append(*this, photoentry::photosAmong(names, photoentry::anyFileWith(modifiers)));
    if (added.isEmpty())
        messagebox::show(this, noPhoto);
    Label11_Click();
    return added;
}
