// The folder tools of main1: serial renaming, lower-casing and the copy of
// the listed photos into the work folder.
#include "app/longwork.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"
#include "fileops/fsname.h"
#include "fileops/renaming.h"
#include "fileops/workcopy.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

namespace {

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

// Renames the folder's files on a thread of its own, then tells what did not
// go as wanted.
void renameFolder(main1 &w, const std::vector<renaming::Move> &wanted, const QString &work, const QString &headline)
{
    longwork::Job job(QStringLiteral("ﾌｧｲﾙ名を%1しています…").arg(work));
    renaming::Outcome done;
    const QString dir = w.Dir1->path();
    if (!longwork::run(&w, job, [&] { done = renaming::renameAll(dir, wanted, job.progress(), job.cancelFlag()); }))
        return;
    w.File1->refresh();
    tell(w, renaming::report(headline, done, work));
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
    // The renaming walks this snapshot, never the pane it changes.
    List2->clear();
    List2->addItems(File1->names());
    std::vector<renaming::Move> wanted;
    wanted.reserve(size_t(List2->count()));
    for (int i = 0; i < List2->count(); ++i) {
        const QString name = List2->item(i)->text();
        wanted.push_back({name, renaming::serialName(Text2->text(), Combo1->currentText(), i + 1, name)});
    }
    renameFolder(*this, wanted, QStringLiteral("連番改名"), QStringLiteral("次のﾌｧｲﾙは名前を変更できず、元の名前のままです。"));
}

void main1::Command6_Click()
{
    if (!confirmed(*this, QStringLiteral("ﾃﾞｨﾚｸﾄﾘ配下のﾌｧｲﾙ名を小文字化しますか？")))
        return;
    fsname::setCurrentDir(Dir1->path());
    std::vector<renaming::Move> wanted;
    for (const QString &name : File1->names())
        wanted.push_back({name, renaming::lowerName(name)});
    renameFolder(*this, wanted, QStringLiteral("小文字化"), QStringLiteral("次のﾌｧｲﾙは小文字化できず、元の名前のままです。"));
}

void main1::Command5_Click()
{
    fsname::setCurrentDir(Dir1->path());
    longwork::Job job(QStringLiteral("写真を %1 にｺﾋﾟｰしています…").arg(workcopy::folderName));
    workcopy::Result copied;
    const QString dir = Dir1->path();
    const QStringList entries = itemTexts(List1);
    if (!longwork::run(
            this, job, [&] { copied = workcopy::copyListed(dir, entries, job.progress(), job.cancelFlag()); }))
        return;
    Dir1->refresh();
    File1->refresh();
    tell(*this, workcopy::report(copied));
}
