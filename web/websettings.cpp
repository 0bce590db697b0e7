// The 設定 menu: pages that show web-size copies of the photos, and the
// copies' longer side. Both are stored the moment they change, so that
// neither 終了 nor a crash forgets a choice.
#include "app/dirs.h"
#include "app/main1.h"
#include "html/engine.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSettings>

namespace {

const QString photosKey = QStringLiteral("web/photos");
const QString edgeKey = QStringLiteral("web/edge");

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
    connect(webphoto, &QAction::triggered, this, &main1::webphoto_Click);
    connect(websize, &QMenu::triggered, this, &main1::websize_Click);
}

void main1::webphoto_Click()
{
    dirs::settings().setValue(photosKey, webphoto->isChecked() ? 1 : 0);
}

void main1::websize_Click(QAction *chosen)
{
    dirs::settings().setValue(edgeKey, chosen->data().toInt());
}

engine::Options main1::generationOptions() const
{
    engine::Options o;
    if (webphoto->isChecked())
        o.webEdge = web1600->actionGroup()->checkedAction()->data().toInt();
    return o;
}
