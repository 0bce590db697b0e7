// Generating the album pages from the photo list, and the screen and print presets.
#include "app/dirs.h"
#include "app/main1.h"
#include "app/panes.h"
#include "html/page.h"
#include "html/split.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

int background(const main1 &w)
{
    const QRadioButton *const options[] = {w.Option1, w.Option2, w.Option3, w.Option4, w.Option5,
                                           w.Option6, w.Option7, w.Option8, w.Option9};
    for (int i = 0; i < 9; ++i)
        if (options[i]->isChecked())
            return i + 1;
    return 0;
}

} // namespace

void main1::connectGeneration()
{
    connect(Command4, &QPushButton::clicked, this, &main1::Command4_Click);
    connect(Command8, &QPushButton::clicked, this, &main1::Command8_Click);
    connect(Command10, &QPushButton::clicked, this, &main1::Command10_Click);
    connect(Command11, &QPushButton::clicked, this, &main1::Command11_Click);
}

QString main1::writePage(const QString &aaa, int bbb, const QSet<QString> &photoNames)
{
    if (List3->count() == 0) {
        dirs::message(this, QStringLiteral("項目を追加してください。"));
        return QString();
    }
    const QString name = page::fileName(Text4->text(), bbb);
    if (name.isEmpty()) {
        dirs::message(this, QStringLiteral("右下のｈｔｍｌファイル名を入れてください。"));
        return QString();
    }
    if (const QString clash = page::photoClash(name, photoNames); !clash.isEmpty())
        return clash;
    page::Options options;
    options.title = Text6->text();
    options.backLink = Text9->text();
    options.background = background(*this);
    options.backgroundImage = Text5->text();
    options.border = dirs::checkValue(Check1);
    options.fixedWidth = dirs::checkValue(Check2) == 1;
    options.width = Text3->text();
    options.albumCount = List1->count();
    options.label = aaa;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const page::Page made = page::compose(options, itemTexts(List3));
    if (made.title != Text6->text())
        Text6->setText(made.title);
    if (made.width != Text3->text())
        Text3->setText(made.width);
    const QString failure = page::save(Label1->text(), name, made.lines);
    QApplication::restoreOverrideCursor();
    return failure;
}

QString main1::makehtml(const QString &aaa, int bbb)
{
    const QString failure = writePage(aaa, bbb, page::photoNames(itemTexts(List1)));
    File1->refresh();
    return failure;
}

void main1::makemoto()
{
    const QStringList album = itemTexts(List1);
    const bool splitIntoPages = dirs::checkValue(Check4) == 1;
    QStringList failedPages;
    QString firstReason;
    const QSet<QString> photoNames = page::photoNames(album);
    List3->clear();
    for (const split::Page &p : split::pages(int(album.size()), splitIntoPages)) {
        List3->addItems(album.mid(p.first, p.count));
        const QString failure = writePage(p.label, p.number, photoNames);
        if (!failure.isEmpty()) {
            failedPages.append(page::fileName(Text4->text(), p.number));
            if (firstReason.isEmpty())
                firstReason = failure;
        }
        if (splitIntoPages && p.count == split::pageSize)
            List3->clear();
    }
    File1->refresh();
    dirs::message(this, failedPages.isEmpty() ? QStringLiteral("作成しました。")
                                              : page::failureReport(failedPages, firstReason));
}

void main1::Command4_Click()
{
    if (List1->count() > 0)
        makemoto();
    else
        dirs::message(this, QStringLiteral("フォルダ内のjpg写真を写真リストに追加して下さい"));
}

void main1::Command8_Click()
{
    allselec();
    makemoto();
}

void main1::Command10_Click()
{
    dirs::setCheckValue(Check2, 1);
    Text4->setText(QStringLiteral("index.html"));
    Text3->setText(page::defaultWidth);
    Command4->setFocus();
}

void main1::Command11_Click()
{
    Text4->setText(QStringLiteral("indexp.html"));
    dirs::message(this, QStringLiteral("Internet Explorer を使用してＡ４紙に印刷できます。\n"
                                       "その際に上下左右の余白を１０mm以下にして下さい。"));
    dirs::setCheckValue(Check2, 1);
    Text3->setText(QStringLiteral("360"));
    Command4->setFocus();
}
