#include "screens/frmabt.h"

#include "app/messagebox.h"
#include "html/about.h"
#include "screens/appicon.h"
#include "screens/browse.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

frmabt::frmabt(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmabt"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Takes the main window's Japanese face rather than the system default.
    setAttribute(Qt::WA_WindowPropagation);

    auto label = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    picIcon = label("picIcon");
    picIcon->setPixmap(appicon::icon().pixmap(48, 48));
    picIcon->setFixedSize(52, 52);
    picIcon->setAlignment(Qt::AlignCenter);
    lblTitle = label("lblTitle");
    {
        QFont f = lblTitle->font();
        f.setPixelSize(20);
        f.setBold(true);
        lblTitle->setFont(f);
    }
    exename = label("exename");
    lblVersion = label("lblVersion");
    lblDescription = label("lblDescription");

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setFixedHeight(Text1->fontMetrics().lineSpacing() * 4 + 2 * Text1->frameWidth() + 10);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // An etched rule: a dark line with a light one just below it.
    for (int i = 0; i < 2; ++i) {
        Line1[i] = new QFrame(this);
        Line1[i]->setObjectName(QStringLiteral("Line1"));
        Line1[i]->setFrameShape(QFrame::HLine);
        Line1[i]->setFrameShadow(QFrame::Plain);
        Line1[i]->setFixedHeight(1);
        QPalette p = Line1[i]->palette();
        p.setColor(QPalette::WindowText, i == 0 ? QColor(128, 128, 128) : QColor(255, 255, 255));
        Line1[i]->setPalette(p);
    }

    Command1 = new QPushButton(QStringLiteral("作者HP"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    for (QPushButton *b : {Command1, cmdOK})
        b->setMinimumWidth(96);

    auto *grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->setContentsMargins(16, 16, 16, 12);
    grid->setHorizontalSpacing(14);
    grid->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(exename, 1, 1);
    grid->addWidget(lblVersion, 2, 1);
    grid->addWidget(lblDescription, 3, 1);
    grid->addWidget(Text1, 4, 1);
    auto *rule = new QVBoxLayout;
    rule->setSpacing(0);
    rule->addWidget(Line1[0]);
    rule->addWidget(Line1[1]);
    grid->addLayout(rule, 5, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    grid->addLayout(buttons, 6, 0, 1, 2);

    connect(cmdOK, &QPushButton::clicked, this, &frmabt::cmdOK_Click);
    connect(Command1, &QPushButton::clicked, this, &frmabt::Command1_Click);

    Form_Load();
    cmdOK->setFocus();
}

void frmabt::Form_Load()
{
    lblTitle->setText(about::product);
    exename->setText(QStringLiteral("(kamerio)"));
    lblDescription->setText(QStringList{
        QStringLiteral("簡単・写真ＨＰ作成ツール"),
        QStringLiteral("自分の写真ＨＰを頻繁にアップデートする方へ。"),
        QStringLiteral("その写真ＨＰ（ｈｔｍｌファイル）を簡単に"),
        QStringLiteral("作成するのに､大変便利なソフトです"),
        QString(),
        QStringLiteral("雑誌等への収録・再配布は、事前に作者までご連絡ください。"),
        QStringLiteral("収録された場合は、掲載誌を１部お送りいただけると幸いです。"),
    }.join(u'\n'));
    lblVersion->setText(QStringLiteral("Ver ") + about::version + QStringLiteral("  (") + about::buildDate + u')');
    Text1->setPlainText(QStringList{QStringLiteral("ホームページ："), about::homePage, QStringLiteral("Eメール："),
                                    about::mail}
                            .join(u'\n'));
}

void frmabt::cmdOK_Click()
{
    close();
}

void frmabt::Command1_Click()
{
    sakusya();
}

void frmabt::sakusya()
{
    if (messagebox::show(this, QStringLiteral("\nインターネットに接続していますか？\n"), messagebox::Buttons::YesNo,
                      QStringLiteral("インターネット接続"), QMessageBox::Warning)
        != QMessageBox::Yes)
        return;
    browse::open(this, QUrl(about::homePage));
}
