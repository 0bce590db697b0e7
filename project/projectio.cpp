// The "ファイル" menu's project-file commands: the dialogs, the messages and
// the controls around the project-file format.
#include "album/photocheck.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"
#include "fileops/fsname.h"
#include "project/projectfile.h"
#include "textio/codepoints.h"
#include "textio/cp932.h"
#include "textio/excerpt.h"
#include "textio/textfile.h"

#include <QAction>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTreeView>

namespace {

// The size, type and date columns are as wide as what they show, and the
// names get the rest of the width.
void fitColumns(QTreeView *view)
{
    QHeaderView *header = view->header();
    int others = 0;
    for (int column = 0; column < header->count(); ++column) {
        view->resizeColumnToContents(column);
        if (column > 0)
            others += header->sectionSize(column);
    }
    header->resizeSection(0, qMax(header->sectionSize(0), view->viewport()->width() - others));
}

// Qt's own dialog rather than the desktop's, so that it behaves the same
// everywhere; no overwrite question and no suffix, as the commands expect.
// The open dialog proposes no name: its first filter already shows the
// ".txt" files. Returns the chosen full path, or "" after a cancel.
QString chooseFile(main1 &w, QFileDialog::AcceptMode mode, const QString &folder, const QString &name = QString())
{
    QFileDialog d(&w);
    d.setObjectName(QStringLiteral("cob1"));
    d.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    d.setAcceptMode(mode);
    d.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    d.setNameFilters({QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"), QStringLiteral("All Files (*)")});
    d.setDirectory(folder);
    // Wide enough for the names and every column beside them.
    d.resize(QSize(860, 520).boundedTo(w.screen()->availableSize()));
    if (auto *view = d.findChild<QTreeView *>(QStringLiteral("treeView")))
        if (auto *model = qobject_cast<QFileSystemModel *>(view->model()))
            QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view] { fitColumns(view); });
    if (!name.isEmpty())
        d.selectFile(name);
    if (d.exec() != QDialog::Accepted)
        return QString();
    return d.selectedFiles().value(0);
}

// Each character once, with its code, so that one the font cannot draw can
// still be found.
QString described(const QString &chars)
{
    QStringList out;
    for (const codepoints::CodePoint c : codepoints::walk(chars))
        out.append(QStringLiteral("「%1」(U+%2)")
                       .arg(chars.mid(c.at, c.size),
                            QString::number(quint32(c.value), 16).toUpper().rightJustified(4, u'0')));
    return excerpt::firstFew(out, 20, u' ', QStringLiteral("ほか%1文字"));
}

// What a save would lose, as a question; empty when it loses nothing.
QString losses(const QString &missing, const QStringList &lostPhotos)
{
    QStringList parts;
    if (!missing.isEmpty())
        parts.append(QStringLiteral("次の文字はファイルに書き込めないため、省かれます。\n") + described(missing));
    if (!lostPhotos.isEmpty())
        parts.append(QStringLiteral("次の写真はファイル名をそのまま書き込めないため、読み込んだ後に見つかりません。"
                                    "名前を変えてから保存すれば見つかります。\n")
                     + excerpt::firstFew(lostPhotos, 10, u'\n', QStringLiteral("ほか%1枚")));
    return parts.isEmpty() ? QString() : parts.join(u'\n') + QStringLiteral("\n保存しますか？");
}

// Asks for the file and writes the album into it; every way out leaves the
// file pane to be refreshed by the caller.
void saveAlbum(main1 &w, const QString &proposed)
{
    fsname::setCurrentDir(w.Label1->text());
    const QString path = chooseFile(w, QFileDialog::AcceptSave, fsname::currentDir(), proposed);
    if (path.size() < 4)
        return;
    const album::Album album = w.album();
    QString missing;
    const QByteArray bytes = cp932::encodeLines(projectfile::write(w.Dir1->path(), album), cp932::Unmappable::Report, &missing);
    const QString question = losses(missing, projectfile::unholdableNames(album));
    if (!question.isEmpty() && messagebox::show(&w, question, messagebox::Buttons::YesNo) != QMessageBox::Yes)
        return;
    QString error;
    if (!textfile::save(path, bytes, &error)) {
        messagebox::show(&w, error);
        return;
    }
    messagebox::show(&w, QStringLiteral("書込み完了"));
}

} // namespace

void main1::connectProject()
{
    connect(fsave, &QAction::triggered, this, &main1::fsave_Click);
    connect(fload, &QAction::triggered, this, &main1::fload_Click);
}

void main1::fsave_Click()
{
    if (Text4->text().size() < projectfile::minPageName) {
        messagebox::show(this, QStringLiteral("右下のファイル名を入れてください。"));
        return;
    }
    if (List1->count() == 0)
        messagebox::show(this, QStringLiteral("リストに項目を追加してください。"));
    else
        saveAlbum(*this, projectfile::proposedName(Text4->text()));
    File1->refresh();
}

void main1::fload_Click()
{
    fsname::setCurrentDir(Dir1->path());
    const QString path = chooseFile(*this, QFileDialog::AcceptOpen, Dir1->path());
    if (path.size() < 4)
        return;
    loadProject(path);
}

bool main1::loadProject(const QString &path)
{
    const projectfile::Loaded f = projectfile::load(path);
    // The album on screen is kept until the file has proved to be one.
    if (!f.magicMatched) {
        messagebox::show(this, projectfile::notProject);
        return false;
    }
    if (!f.madeIn(Dir1->path()))
        messagebox::show(this, projectfile::otherFolder);
    keepTyping();
    album::Album a = album();
    projectfile::apply(f, a);
    openAlbum(a, projectfile::notices(f));
    return true;
}

void main1::openAlbum(const album::Album &a, const QStringList &notices)
{
    setAlbum(a);
    // A loaded album starts a history of its own, even one listing the same photos.
    list1history_.clear();
    Label11_Click();
    for (const QString &notice : notices)
        messagebox::show(this, notice);
    if (const QStringList missing = photocheck::missing(a.entries, Dir1->path()); !missing.isEmpty())
        messagebox::show(this, photocheck::message(missing));
    messagebox::show(this, projectfile::loadedNotice);
}
