#include "publish/pubview.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

pubview::pubview(QWidget *parent, const publish::Plan &plan)
    : QDialog(parent), plan_(plan)
{
    setObjectName(QStringLiteral("pubview"));
    setWindowTitle(QStringLiteral("送るファイルを確認"));
    pubsummary = new QLabel(this);
    pubsummary->setObjectName(QStringLiteral("pubsummary"));
    publist = new QListWidget(this);
    publist->setObjectName(QStringLiteral("publist"));
    publist->setMinimumSize(480, 320);
    // Off each time: removing is a choice made for this run alone.
    pubremove = new QCheckBox(QStringLiteral("公開先から不要になったファイルを削除する"), this);
    pubremove->setObjectName(QStringLiteral("pubremove"));
    pubgo = new QPushButton(QStringLiteral("公開する"), this);
    pubgo->setObjectName(QStringLiteral("pubgo"));
    pubclose = new QPushButton(QStringLiteral("閉じる"), this);
    pubclose->setObjectName(QStringLiteral("pubclose"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pubsummary);
    layout->addWidget(publist);
    layout->addWidget(pubremove);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(pubgo);
    buttons->addWidget(pubclose);
    layout->addLayout(buttons);
    connect(pubremove, &QCheckBox::toggled, this, &pubview::pubremove_Click);
    connect(pubgo, &QPushButton::clicked, this, &QDialog::accept);
    connect(pubclose, &QPushButton::clicked, this, &QDialog::reject);
    pubremove_Click();
}

void pubview::pubremove_Click()
{
    publist->clear();
    int sent = 0, replaced = 0;
    for (const publish::Step &step : plan_.steps) {
        publist->addItem((step.replace ? QStringLiteral("置き換える　") : QStringLiteral("送る　　　")) + step.path);
        ++(step.replace ? replaced : sent);
    }
    const bool removing = pubremove->isChecked();
    if (removing)
        for (const QString &path : plan_.stale)
            publist->addItem(QStringLiteral("削除する　") + path);
    QString summary = plan_.steps.empty() ? QStringLiteral("変わったﾌｧｲﾙはなく、送るものはありません。")
                                          : QStringLiteral("送る %1 ﾌｧｲﾙ、置き換える %2 ﾌｧｲﾙ（合わせて %3）")
                                                .arg(sent)
                                                .arg(replaced)
                                                .arg(QLocale::c().formattedDataSize(plan_.bytes));
    if (!plan_.stale.isEmpty())
        summary += removing ? QStringLiteral("\n公開先から削除する %1 ﾌｧｲﾙ").arg(plan_.stale.size())
                            : QStringLiteral("\n前に送って今は要らないﾌｧｲﾙが %1 あります（削除しません）。")
                                  .arg(plan_.stale.size());
    pubsummary->setText(summary);
}
