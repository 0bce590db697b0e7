// The "ファイル" menu's project-file commands: the dialogs, the messages and
// the controls around the project-file format.
#include "album/photoentry.h"
#include "app/dirs.h"
#include "app/main1.h"
#include "app/panes.h"
#include "project/projectfile.h"
#include "textio/cp932.h"
#include "textio/textfile.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include <array>

namespace {

std::array<QRadioButton *, 9> options(const main1 &w)
{
    return {w.Option1, w.Option2, w.Option3, w.Option4, w.Option5, w.Option6, w.Option7, w.Option8, w.Option9};
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
    if (!name.isEmpty())
        d.selectFile(name);
    if (d.exec() != QDialog::Accepted)
        return QString();
    return d.selectedFiles().value(0);
}

projectfile::Album album(const main1 &w)
{
    projectfile::Album a;
    a.folder = w.Dir1->path();
    a.border = dirs::checkValue(w.Check1);
    a.backLink = w.Text9->text();
    a.title = w.Text6->text();
    a.widthFlag = dirs::checkValue(w.Check2);
    const auto buttons = options(w);
    for (int i = 0; i < int(buttons.size()); ++i)
        if (buttons[i]->isChecked()) {
            a.option = i + 1;
            break;
        }
    a.background = w.Text5->text();
    a.pageName = w.Text4->text();
    a.entries = itemTexts(w.List1);
    return a;
}

// Each character once, with its code, so that one the font cannot draw can
// still be found.
QString described(const QString &chars)
{
    QStringList out;
    for (char32_t c : chars.toUcs4())
        out.append(QStringLiteral("「%1」(U+%2)")
                       .arg(QString::fromUcs4(&c, 1), QString::number(quint32(c), 16).toUpper().rightJustified(4, u'0')));
    return out.join(u' ');
}

// Asks for the file and writes the album into it; every way out leaves the
// file pane to be refreshed by the caller.
void saveAlbum(main1 &w, const QString &proposed)
{
    dirs::setCurrentDir(w.Label1->text());
    const QString path = chooseFile(w, QFileDialog::AcceptSave, dirs::currentDir(), proposed);
    if (path.size() < 4)
        return;
    QString missing;
    const QByteArray bytes = cp932::encodeLines(projectfile::write(album(w)), cp932::Unmappable::Report, &missing);
    if (!missing.isEmpty()
        && dirs::message(&w,
                         QStringLiteral("次の文字はファイルに書き込めないため、省かれます。\n%1\n保存しますか？")
                             .arg(described(missing)),
                         dirs::Buttons::YesNo)
               != QMessageBox::Yes)
        return;
    QString error;
    if (!textfile::save(path, bytes, &error)) {
        dirs::message(&w, error);
        return;
    }
    dirs::message(&w, QStringLiteral("書込み完了"));
}

void apply(main1 &w, const projectfile::Loaded &f)
{
    if (f.border)
        dirs::setCheckValue(w.Check1, *f.border);
    if (f.backLink)
        w.Text9->setText(*f.backLink);
    if (f.title)
        w.Text6->setText(*f.title);
    if (f.widthFlag)
        dirs::setCheckValue(w.Check2, *f.widthFlag);
    if (f.option)
        options(w)[*f.option - 1]->setChecked(true);
    if (f.background)
        w.Text5->setText(*f.background);
    if (f.pageName)
        w.Text4->setText(*f.pageName);
    const QSignalBlocker quiet(w.List1);
    w.List1->addItems(f.entries);
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
        dirs::message(this, QStringLiteral("右下のファイル名を入れてください。"));
        return;
    }
    if (List1->count() == 0)
        dirs::message(this, QStringLiteral("リストに項目を追加してください。"));
    else
        saveAlbum(*this, projectfile::proposedName(Text4->text()));
    File1->refresh();
}

void main1::fload_Click()
{
    dirs::setCurrentDir(Dir1->path());
    const QString path = chooseFile(*this, QFileDialog::AcceptOpen, Dir1->path());
    if (path.size() < 4)
        return;
    {
        const QSignalBlocker quiet(List1);
        List1->clear();
    }
    const std::optional<QByteArray> bytes = textfile::load(path, projectfile::maxBytes + 1);
    const projectfile::Loaded f = projectfile::parse(bytes ? QByteArrayView(*bytes) : QByteArrayView());
    if (!f.magicMatched) {
        Label11_Click();
        dirs::message(this, QStringLiteral("kamerio のファイルではありません。"));
        return;
    }
    if (!f.madeIn(Dir1->path()))
        dirs::message(this, QStringLiteral("作成時のディレクトリと違います。\n作業は、続行します。"));
    apply(*this, f);
    Label11_Click();
    if (f.tooLarge)
        dirs::message(this, QStringLiteral("ファイルが大きすぎるため、最初の%1MBだけを読み込みました。")
                                .arg(projectfile::maxBytes >> 20));
    if (f.tooManyEntries)
        dirs::message(this, QStringLiteral("写真リストに登録できるのは%1枚までです。\nそれより後の写真は読み込みませんでした。")
                                .arg(photoentry::maxEntries));
    dirs::message(this, QStringLiteral("読込み完了"));
}
