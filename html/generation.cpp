// Generating the album pages from the photo list, and the screen and print presets.
#include "album/photocheck.h"
#include "app/longwork.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"
#include "html/engine.h"
#include "html/page.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

void main1::connectGeneration()
{
    connect(Command4, &QPushButton::clicked, this, &main1::Command4_Click);
    connect(Command8, &QPushButton::clicked, this, &main1::Command8_Click);
    connect(Command10, &QPushButton::clicked, this, &main1::Command10_Click);
    connect(Command11, &QPushButton::clicked, this, &main1::Command11_Click);
}

void main1::makemoto()
{
    const album::Album current = album();
    const QString folder = Label1->text();
    const engine::Options options = generationOptions();
    const auto label = [](engine::Phase phase) {
        return phase == engine::Phase::WebCopies ? QStringLiteral("Web 用の縮小写真を作っています…")
                                                 : QStringLiteral("ページを作成しています…");
    };
    longwork::Job job(label(options.webEdge ? engine::Phase::WebCopies : engine::Phase::Pages));
    engine::Report report;
    const bool stays = longwork::run(this, job, [&] {
        const auto progress = [&](engine::Phase phase, int done, int total) {
            job.setLabel(label(phase));
            job.step(done, total);
        };
        report = engine::generate(current, folder, options, progress, job.cancelFlag());
    });
    if (!stays)
        return;
    // A blank title or width got its default on the pages, and keeps it.
    setAlbum(report.album);
    File1->refresh();
    // A cancelled run ends with one message that says how far it came.
    if (!report.cancelled) {
        if (!report.missing.isEmpty())
            messagebox::show(this, photocheck::message(report.missing));
        for (const QString &refusal : report.refusals)
            messagebox::show(this, refusal);
    }
    messagebox::show(this, engine::closingMessage(report));
}

void main1::Command4_Click()
{
    if (List1->count() > 0)
        makemoto();
    else
        messagebox::show(this, QStringLiteral("フォルダ内のjpg写真を写真リストに追加して下さい"));
}

void main1::Command8_Click()
{
    allselec();
    makemoto();
}

void main1::Command10_Click()
{
    setCheckValue(Check2, 1);
    Text4->setText(QStringLiteral("index.html"));
    Text3->setText(page::defaultWidth);
    Command4->setFocus();
}

void main1::Command11_Click()
{
    Text4->setText(QStringLiteral("indexp.html"));
    messagebox::show(this, QStringLiteral("Internet Explorer を使用してＡ４紙に印刷できます。\n"
                                          "その際に上下左右の余白を１０mm以下にして下さい。"));
    setCheckValue(Check2, 1);
    Text3->setText(QStringLiteral("360"));
    Command4->setFocus();
}
