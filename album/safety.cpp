// The safety copy of the album: kept up to date behind the user's back, and
// brought back by 前回の作業を復元 as ファイル読込 would load it.
#include "album/photoentry.h"
#include "album/recovery.h"
#include "app/main1.h"
#include "app/panes.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>

void main1::connectSafetyCopy()
{
    safetyCopy_ = std::make_unique<recovery::Keeper>([this] { return safetyState(); });
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
    connect(Dir1, &DirList::pathChanged, keeper, changed);
    // A list about to be replaced or emptied (全ﾌｧｲﾙ選択, 初心者用, 全リスト削除,
    // a load, a folder change) has its last typing kept first.
    connect(List1->model(), &QAbstractItemModel::modelAboutToBeReset, keeper, &recovery::Keeper::flush);
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
    loadProject(recovery::path());
}
