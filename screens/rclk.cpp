#include "screens/rclk.h"

#include "app/dirs.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"
#include "fileops/fsname.h"
#include "fileops/safefile.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

rclk::rclk(main1 &owner)
    : QWidget(&owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      owner_(owner)
{
    setObjectName(QStringLiteral("rclk"));
    setWindowTitle(QStringLiteral("ﾃﾞｨﾚｸﾄﾘ作成"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(owner.font());
    setFixedSize(px(10320), px(900));

    Label1 = placed<QLabel>(this, "Label1", 120, 120, 1335, 255, QStringLiteral("変更元ﾃﾞｨﾚｸﾄﾘ："));
    Label2 = placed<QLabel>(this, "Label2", 1440, 120, 8775, 255);
    Label2->setFrameStyle(QFrame::Box | QFrame::Plain);
    // A folder name may hold "<" and "&": it is shown as it is spelt.
    Label2->setTextFormat(Qt::PlainText);
    Label3 = placed<QLabel>(this, "Label3", 120, 480, 1335, 255, QStringLiteral("変更後ﾃﾞｨﾚｸﾄﾘ："));
    Text1 = placed<QLineEdit>(this, "Text1", 1440, 480, 7215, 264);
    Command1 = placed<QPushButton>(this, "Command1", 8760, 480, 732, 372, QStringLiteral("決定"));
    Command2 = placed<QPushButton>(this, "Command2", 9600, 480, 612, 372, QStringLiteral("戻る"));
    for (QPushButton *b : {Command1, Command2})
        b->setAutoDefault(true);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Text1->installEventFilter(this);

    connect(Command1, &QPushButton::clicked, this, &rclk::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &rclk::Command2_Click);
    Form_Load();
}

void rclk::Form_Load()
{
    source_ = dirs::motodir;
    Label2->setText(source_);
    Text1->setText(source_);
    Text1->setFocus();
}

void rclk::Command1_Click()
{
    const QString wanted = Text1->text();
    if (wanted == Label2->text()) {
        messagebox::show(this, QStringLiteral("作成するﾃﾞｨﾚｸﾄﾘ名を入れてください"));
        return;
    }
    const QString parent = dirs::parentdir(source_);
    fsname::setCurrentDir(parent);
    const QString prefix = parent.endsWith(u'/') ? parent : parent + u'/';
    if (!wanted.contains(prefix)) {
        messagebox::show(this, QStringLiteral("この名前には、変更できません！"));
        return;
    }
    int error = 0;
    if (!safefile::rename(source_, wanted, &error))
        messagebox::show(this, QStringLiteral("%1 を %2 に変更できませんでした（%3）。")
                                .arg(source_, wanted, safefile::reason(error)));
    // Where a folder of the new path exists (renamed or not), the browser goes there.
    owner_.Dir1->changeTo(wanted);
    owner_.Dir1->refresh();
    close();
}

void rclk::Command2_Click()
{
    close();
}

bool rclk::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter never types into the path; it moves on to the confirm button.
            Command1->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void main1::dirnchg_Click()
{
    dirs::motodir = Dir1->path();
    if (renameScreen) {
        renameScreen->raise();
        renameScreen->activateWindow();
        return;
    }
    auto *screen = new rclk(*this);
    renameScreen = screen;
    screen->show();
}
