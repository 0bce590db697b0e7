#include "album/restorewin.h"

#include <QDateTime>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace restorewin {

std::optional<QString> choose(QWidget *parent, const QList<recovery::Listed> &albums)
{
    QDialog win(parent);
    win.setObjectName(QStringLiteral("frestorewin"));
    win.setWindowTitle(QStringLiteral("前回の作業を復元"));
    // A window of its own does not take the main window's font by itself.
    win.setFont(parent->font());

    auto *list = new QTreeWidget(&win);
    list->setObjectName(QStringLiteral("albumlist"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setHeaderLabels({QStringLiteral("ﾌｫﾙﾀﾞ"), QStringLiteral("写真"), QStringLiteral("説明文"),
                           QStringLiteral("最終変更")});
    for (const recovery::Listed &a : albums) {
        auto *row = new QTreeWidgetItem(list, {a.head.folder, QString::number(a.head.photos),
                                               QString::number(a.head.captions),
                                               QDateTime::fromMSecsSinceEpoch(a.head.changed)
                                                   .toString(QStringLiteral("yyyy/MM/dd HH:mm"))});
        row->setData(0, Qt::UserRole, a.id);
        for (int column : {1, 2})
            row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    // The folder takes what the counts and the time leave.
    QHeaderView *header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column : {1, 2, 3})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    list->setCurrentItem(list->topLevelItem(0));

    auto *ok = new QPushButton(QStringLiteral("復元"), &win);
    ok->setObjectName(QStringLiteral("restoreok"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("キャンセル"), &win);
    cancel->setObjectName(QStringLiteral("restorecan"));
    QObject::connect(ok, &QPushButton::clicked, &win, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &win, &QDialog::reject);
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, &win, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(&win);
    layout->addWidget(list);
    layout->addLayout(buttons);
    win.resize(640, 300);
    list->setFocus();

    if (win.exec() != QDialog::Accepted || !list->currentItem())
        return std::nullopt;
    return list->currentItem()->data(0, Qt::UserRole).toString();
}

} // namespace restorewin
