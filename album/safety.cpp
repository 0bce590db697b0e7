// The safety copies of the albums: kept up to date behind the user's back,
// and brought back by 前回の作業を復元 in the album's own folder.
#include "album/photoentry.h"
#include "album/recovery.h"
#include "album/restorewin.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"
#include "project/projectfile.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>

void main1::connectSafetyCopy()
{
    // The folder of the list's photos. A folder change that empties the
    // list has the old list kept first, and that is the old folder's.
    auto listFolder = std::make_shared<QString>(Dir1->path());
    safetyCopy_ = std::make_unique<recovery::Keeper>([this, listFolder] {
        recovery::State state = safetyState();
        state.folder = *listFolder;
        return state;
    });
    recovery::Keeper *keeper = safetyCopy_.get();
    frestore->setEnabled(keeper->exists());
    connect(keeper, &recovery::Keeper::saved, frestore, [item = frestore] { item->setEnabled(true); });
    connect(frestore, &QAction::triggered, this, &main1::frestore_Click);

    // Every change of the album, the caption being typed included, only
    // starts the keeper's timer. The keeper is the receiver: while the
    // window takes itself apart, the keeper is gone before its controls.
    const auto changed = &recovery::Keeper::changed;
    onItemsChanged(List1, keeper, changed);
    connect(Text1, &QPlainTextEdit::textChanged, keeper, changed);
    for (QLineEdit *box : {Text6, Text4, Text9, Text5, Text3})
        connect(box, &QLineEdit::textChanged, keeper, changed);
    for (QAbstractButton *button : options())
        connect(button, &QAbstractButton::toggled, keeper, changed);
    for (QCheckBox *box : {Check1, Check2, Check4})
        connect(box, &QCheckBox::stateChanged, keeper, changed);
    connect(Dir1, &DirList::pathChanged, keeper, [this, keeper, listFolder] {
        *listFolder = Dir1->path();
        keeper->changed();
    });
    // A list about to be replaced or emptied (全ﾌｧｲﾙ選択, 初心者用, 全リスト削除,
    // a load, a folder change) has its last typing kept first. Then another
    // album begins, but for 全リスト削除 and its undo: they are steps of the
    // same album.
    connect(List1->model(), &QAbstractItemModel::modelAboutToBeReset, keeper, [this, keeper] {
        keeper->flush();
        if (!arranging_)
            keeper->startAlbum();
    });
}

recovery::State main1::safetyState() const
{
    recovery::State state{Dir1->path(), album()};
    // The entry is followed through moves; once it is gone, so is what was
    // typed for it.
    if (captionEntry_.isValid()) {
        QString &entry = state.album.entries[captionEntry_.row()];
        if (photoentry::caption(entry) != Text1->toPlainText())
            entry = photoentry::withCaption(entry, Text1->toPlainText());
    }
    return state;
}

void main1::frestore_Click()
{
    // The album on screen is listed as it stands now.
    safetyCopy_->flush();
    const QList<recovery::Listed> albums = recovery::list();
    frestore->setEnabled(!albums.isEmpty());
    if (albums.isEmpty())
        return;
    const std::optional<QString> id = restorewin::choose(this, albums);
    if (!id)
        return;
    // What is being typed goes into the album it was typed for, which is
    // kept as it stands: it may be the one chosen.
    keepTyping();
    safetyCopy_->flush();
    // Another window may have let it go since the list was read.
    const std::optional<keptalbum::Kept> kept = recovery::load(*id);
    if (!kept) {
        messagebox::show(this, QStringLiteral("復元する作業が見つかりません。"));
        return;
    }
    // The restored album goes on where it was: the restore itself writes nothing.
    safetyCopy_->hold();
    // The panes go to the album's folder as a folder change takes them, and
    // the album is loaded there; a folder that is gone leaves them where
    // they are, and the photos are told missing.
    const bool there = Dir1->path() == kept->folder || Dir1->changeTo(kept->folder);
    openAlbum(kept->album, there ? QStringList() : QStringList{projectfile::otherFolder});
    safetyCopy_->continueAlbum(*id, *kept);
}
