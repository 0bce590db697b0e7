#include "screens/help1.h"

#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

const char16_t *const manualLines[] = {
    u"①画像の入っているフォルダーまで移動します。",
    u"②リスト登録の全ファイル選択ボタンを押します。",
    u"③写真リストの中のファイルを選択後､画面説明文を入力しEnterキーを押します。",
    u"④説明文登録ﾎﾞﾀﾝに飛ぶのでEnterキーを押します。",
    u"⑤リストが１つ進むのでまた、説明文を入力します。",
    u"⑥説明文を入力後Enterキーを押すと、④からの作業の繰り返しになります。",
    u"⑦全ての説明文が入力し終わったら、右下の「html作成」ボタンを押して､htmlファイルを作成します。",
    u"⑧後で修正したいときのために、左上のファイルを選択し、ファイル保存しておくと、また後で修正も楽になります。",
    u"注：htmlファイルの直接編集は、不可です。Ｋａｍｅｒｉｏにてファイル保存したファイルのみ編集可能です。",
    u"●１度に作るファイル数は、20個位までが良いです",
    u"●写真リストを右クリックすると、選択削除できます",
    u"●写真リストにて沢山ファイル選択削除した場合、FTP転送時にまたファイルの選択は面倒です。",
    u"　そういう場合は、「写真ﾘｽﾄﾌｧｲﾙｺﾋﾟｰ」ボタンを押すとtmpﾌｫﾙﾀﾞを作成しﾌｧｲﾙｺﾋﾟｰしてくれます。",
    u"●画像ファイルは、あらかじめツール等で小さくしておくと良いです。",
    u"●薄黄色の所では右クリックするといろいろな事ができます。",
};

} // namespace

helper1::helper1(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("helper1"));
    setWindowTitle(QStringLiteral("簡単操作マニュアル"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Takes the main window's Japanese face rather than the system default.
    setAttribute(Qt::WA_WindowPropagation);
    resize(680, 360);
    // Over the main window, not where the desktop puts new windows (often a
    // corner of the screen, far from the window it explains).
    if (parent) {
        QRect over = geometry();
        over.moveCenter(parent->window()->geometry().center());
        move(over.topLeft());
    }

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Text1);

    // Escape closes it, as it closes the about box.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);

    Form_Load();
}

void helper1::Form_Load()
{
    QString text;
    for (const char16_t *line : manualLines)
        text += QString::fromUtf16(line) + u'\n';
    Text1->setPlainText(text);
}
