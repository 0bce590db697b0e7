// The folder tools of main1: serial renaming, lower-casing and the copy of
// the listed photos into the work folder.
#include "app/dirs.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"
#include "fileops/fsname.h"
#include "fileops/renaming.h"
#include "fileops/workcopy.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

namespace {

// The hourglass while files are being worked on; the arrow comes back
// however the work ends, before any message is shown.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

bool confirmed(main1 &w, const QString &question)
{
    return messagebox::show(&w, w.Dir1->path() + QStringLiteral("\r\r") + question, messagebox::Buttons::YesNo)
           == QMessageBox::Yes;
}

void tell(main1 &w, const QString &text)
{
    if (!text.isEmpty())
        messagebox::show(&w, text);
}

} // namespace

void main1::connectFileTools()
{
    connect(Command9, &QPushButton::clicked, this, &main1::Command9_Click);
    connect(Command6, &QPushButton::clicked, this, &main1::Command6_Click);
    connect(Command5, &QPushButton::clicked, this, &main1::Command5_Click);
}

void main1::Command9_Click()
{
    if (File1->count() == 0) {
        messagebox::show(this, QStringLiteral("ファイルがありません"));
        return;
    }
    // A prefix no file can be named with is refused before anything is asked.
    if (!renaming::usableName(renaming::serialName(Text2->text(), Combo1->currentText(), 1, QString()))) {
        messagebox::show(this, QStringLiteral("連番の名前に「%1」は使えません。\n"
                                              "「/」を含むものや「.」で始まるものは使えません。")
                                   .arg(Text2->text()));
        return;
    }
    if (!confirmed(*this, QStringLiteral("ファイル名を連番改名しますか？")))
        return;
    renaming::Outcome done;
    {
        BusyCursor busy;
        // The renaming walks this snapshot, never the pane it changes.
        List2->clear();
        List2->addItems(File1->names());
        std::vector<renaming::Move> wanted;
        wanted.reserve(size_t(List2->count()));
        for (int i = 0; i < List2->count(); ++i) {
            const QString name = List2->item(i)->text();
            wanted.push_back({name, renaming::serialName(Text2->text(), Combo1->currentText(), i + 1, name)});
        }
        done = renaming::renameAll(Dir1->path(), wanted);
        File1->refresh();
    }
    tell(*this, renaming::report(QStringLiteral("次のﾌｧｲﾙは名前を変更できず、元の名前のままです。"), done));
}

void main1::Command6_Click()
{
    if (!confirmed(*this, QStringLiteral("ﾃﾞｨﾚｸﾄﾘ配下のﾌｧｲﾙ名を小文字化しますか？")))
        return;
    renaming::Outcome done;
    {
        BusyCursor busy;
        fsname::setCurrentDir(Dir1->path());
        std::vector<renaming::Move> wanted;
        for (const QString &name : File1->names())
            wanted.push_back({name, renaming::lowerName(name)});
        done = renaming::renameAll(Dir1->path(), wanted);
        File1->refresh();
    }
    tell(*this, renaming::report(QStringLiteral("次のﾌｧｲﾙは小文字化できず、元の名前のままです。"), done));
}

void main1::Command5_Click()
{
    workcopy::Result copied;
    {
        BusyCursor busy;
        fsname::setCurrentDir(Dir1->path());
        copied = workcopy::copyListed(Dir1->path(), itemTexts(List1));
        Dir1->refresh();
        File1->refresh();
    }
    if (copied.folderError != 0)
        messagebox::show(this, QStringLiteral("作業ﾌｫﾙﾀﾞ %1 を作れませんでした（%2）。")
                                .arg(workcopy::folderName, safefile::reason(copied.folderError)));
    else
        tell(*this, safefile::report(QStringLiteral("次のﾌｧｲﾙはｺﾋﾟｰできませんでした。"), copied.failed));
}
