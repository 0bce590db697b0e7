#include "app/main1.h"
#include "app/messagebox.h"
#include "screens/frmabt.h"
#include "screens/help1.h"

#include <QAction>

namespace {

// The manual and the about box exist once: asking again brings the open one
// to the front.
template <class Window>
void showOnce(QPointer<QWidget> &slot, main1 *owner)
{
    if (!slot)
        slot = new Window(owner);
    slot->show();
    slot->raise();
    slot->activateWindow();
}

} // namespace

void main1::easykotu_Click()
{
    messagebox::show(this, QStringLiteral("写真リストにて、一番上を選択し改行します。それから説明文を入れて改行。登録ボタンに移ります。"
                                       "また改行で次の写真リストに移り、説明文を入力。と改行を繰り返してください。"
                                       "ＨＰに画像を載せる場合は、あらかじめ480×360にしておくと良いでしょう。"));
}

void main1::syoukotu_Click()
{
    showOnce<helper1>(manual, this);
}

void main1::jyouhou_Click()
{
    showOnce<frmabt>(aboutBox, this);
}

void main1::connectHelp()
{
    connect(easykotu, &QAction::triggered, this, &main1::easykotu_Click);
    connect(syoukotu, &QAction::triggered, this, &main1::syoukotu_Click);
    connect(jyouhou, &QAction::triggered, this, &main1::jyouhou_Click);
}
