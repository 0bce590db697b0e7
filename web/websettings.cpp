// The 設定 menu: pages that show web-size copies of the photos, the
// copies' longer side, the style of the pages and whether photo pages link
// the photo itself. Each is stored the moment it changes, so that neither
// 終了 nor a crash forgets a choice. And the way back for copies that a lost
// or damaged list of copies left looking like the user's own.
#include "album/photoentry.h"
#include "app/dirs.h"
#include "app/longwork.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"
#include "fileops/fsname.h"
#include "html/engine.h"
#include "publish/ledger.h"
#include "publish/site.h"
#include "textio/excerpt.h"
#include "web/runlock.h"

#include <QAction>
#include <QActionGroup>
#include <QListWidget>
#include <QMenu>
#include <QSettings>

namespace {

const QString photosKey = QStringLiteral("web/photos");
const QString edgeKey = QStringLiteral("web/edge");
const QString styleKey = QStringLiteral("pages/style");
const QString originalsKey = QStringLiteral("pages/originals");
const QString modern = QStringLiteral("modern");

// How many names a message lists before it only counts them.
constexpr int namedFiles = 10;

QString remakeQuestion(const QString &note, const std::vector<webcopy::Disowned> &files)
{
    QStringList names;
    for (const webcopy::Disowned &d : files)
        names.append(d.name);
    return (note.isEmpty() ? QString() : note + u'\n')
           + QStringLiteral("次のﾌｧｲﾙは %1 にありますが、Kamerio が作った縮小写真の記録にありません。\n")
                 .arg(webcopy::folderName)
           + excerpt::firstFew(names, namedFiles, u'\n', QStringLiteral("ほか %1 個"))
           + QStringLiteral("\n\nこれらを Web 用の縮小写真として作り直しますか？\n（今あるﾌｧｲﾙは新しい縮小写真で置き換えます）");
}

QString remakeOutcome(const webcopy::Result &result)
{
    QStringList failed;
    for (const webcopy::Photo &p : result.photos)
        if (const QString why = webcopy::reason(p); !why.isEmpty())
            failed.append(QStringLiteral("%1（%2）").arg(p.name, why));
    QString text = QStringLiteral("%1 枚の縮小写真を作り直しました。").arg(result.written);
    if (!failed.isEmpty())
        text += QStringLiteral("\n次のﾌｧｲﾙはそのままです。\n")
                + excerpt::firstFew(failed, namedFiles, u'\n', QStringLiteral("ほか %1 個"));
    if (result.written > 0)
        text += QStringLiteral("\nページに載せるには、もう一度 html を作成してください。");
    return text;
}

} // namespace

void main1::connectSettings()
{
    const QSettings s = dirs::settings();
    webphoto->setChecked(s.value(photosKey).toInt() == 1);
    // An edge edited by hand into something not offered leaves the default.
    const int edge = s.value(edgeKey).toInt();
    for (QAction *size : websize->actions())
        if (size->data().toInt() == edge)
            size->setChecked(true);
    stylemodern->setChecked(s.value(styleKey).toString() == modern);
    linkorig->setChecked(s.value(originalsKey, 1).toInt() != 0);
    connect(webphoto, &QAction::triggered, this, &main1::webphoto_Click);
    connect(websize, &QMenu::triggered, this, &main1::websize_Click);
    connect(pagestyle, &QMenu::triggered, this, &main1::pagestyle_Click);
    connect(linkorig, &QAction::triggered, this, &main1::linkorig_Click);
    connect(webremake, &QAction::triggered, this, &main1::webremake_Click);
}

void main1::webphoto_Click()
{
    dirs::settings().setValue(photosKey, webphoto->isChecked() ? 1 : 0);
}

void main1::websize_Click(QAction *chosen)
{
    dirs::settings().setValue(edgeKey, chosen->data().toInt());
}

void main1::pagestyle_Click(QAction *chosen)
{
    dirs::settings().setValue(styleKey, chosen == stylemodern ? modern : QStringLiteral("classic"));
}

void main1::linkorig_Click()
{
    dirs::settings().setValue(originalsKey, linkorig->isChecked() ? 1 : 0);
}

void main1::webremake_Click()
{
    const QString folder = Label1->text();
    QStringList photos;
    for (int i = 0; i < List1->count(); ++i)
        photos.append(photoentry::fileName(List1->item(i)->text()));
    webcopy::LedgerHealth health = webcopy::LedgerHealth::Fine;
    const std::vector<webcopy::Disowned> files = webcopy::disowned(folder, photos, &health);
    const QString note = webcopy::ledgerNote(health);
    if (files.empty()) {
        messagebox::show(this, (note.isEmpty() ? QString() : note + u'\n')
                                   + QStringLiteral("作り直す縮小写真はありません。"));
        return;
    }
    if (messagebox::show(this, remakeQuestion(note, files), messagebox::Buttons::YesNo) != QMessageBox::Yes)
        return;
    const QString making = QStringLiteral("Web 用の縮小写真を作り直しています…");
    const int edge = web1600->actionGroup()->checkedAction()->data().toInt();
    longwork::Job job(making);
    std::optional<webcopy::Result> result;
    QString failure;
    const bool stays = longwork::run(this, job, [&] {
        const auto waiting = [&job] { job.setLabel(webcopy::waitingLabel); };
        const auto lock = webcopy::RunLock::acquire(fsname::encode(folder), waiting, job.cancelFlag(), &failure);
        if (!lock)
            return;
        job.setLabel(making);
        result = webcopy::remake(folder, files, edge, job.progress(), job.cancelFlag());
    });
    if (!stays)
        return;
    if (result)
        messagebox::show(this, remakeOutcome(*result));
    else if (!failure.isEmpty())
        messagebox::show(this, QStringLiteral("Web 用の縮小写真を作り直せませんでした（%1）。").arg(failure));
    else
        messagebox::show(this, QStringLiteral("作り直しを中止しました。ﾌｧｲﾙはそのままです。"));
}

engine::Options main1::generationOptions() const
{
    engine::Options o;
    const int edge = web1600->actionGroup()->checkedAction()->data().toInt();
    if (webphoto->isChecked())
        o.webEdge = edge;
    o.imageEdge = edge;
    o.style = stylemodern->isChecked() ? engine::Style::Modern : engine::Style::Classic;
    o.originals = linkorig->isChecked();
    // Once the album has a public address, its pages say so, as kamerio
    // make --url would write them.
    QSettings settings = dirs::settings();
    if (const std::optional<publish::Site> site = publish::storedSite(settings))
        o.albumUrl = publish::publicAddress(*site, publish::albumSubfolder(Dir1->path()), QString());
    return o;
}
