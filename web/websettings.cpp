// The 設定 menu: pages that show web-size copies of the photos, the
// copies' longer side, the style of the pages and whether photo pages link
// the photo itself. Each is stored the moment it changes, so that neither
// 終了 nor a crash forgets a choice.
#include "app/dirs.h"
#include "app/main1.h"
#include "app/panes.h"
#include "html/engine.h"
#include "publish/ledger.h"
#include "publish/site.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSettings>

namespace {

const QString photosKey = QStringLiteral("web/photos");
const QString edgeKey = QStringLiteral("web/edge");
const QString styleKey = QStringLiteral("pages/style");
const QString originalsKey = QStringLiteral("pages/originals");
const QString modern = QStringLiteral("modern");

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
