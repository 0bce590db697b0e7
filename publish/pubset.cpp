#include "publish/pubset.h"

#include "app/dirs.h"
#include "app/messagebox.h"
#include "publish/keyring.h"
#include "publish/ledger.h"
#include "publish/site.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

namespace {

struct Choice
{
    const char *caption;
    publish::Protocol protocol;
    bool tls;
};
const Choice choices[] = {
    {"SFTP", publish::Protocol::Sftp, true},
    {"FTPS（明示的 TLS）", publish::Protocol::Ftps, true},
    {"WebDAV（https）", publish::Protocol::WebDav, true},
    {"WebDAV（http、127.0.0.1 のみ）", publish::Protocol::WebDav, false},
    {"FTP（暗号化なし）", publish::Protocol::Ftp, false},
};

QLineEdit *field(QWidget *parent, const char *name)
{
    auto *f = new QLineEdit(parent);
    f->setObjectName(QLatin1String(name));
    return f;
}

} // namespace

pubset::pubset(QWidget *parent, const QString &albumFolder)
    : QDialog(parent), albumFolder_(albumFolder)
{
    setObjectName(QStringLiteral("pubset"));
    setWindowTitle(QStringLiteral("公開先の設定"));
    pubprotocol = new QComboBox(this);
    pubprotocol->setObjectName(QStringLiteral("pubprotocol"));
    for (const Choice &c : choices)
        pubprotocol->addItem(QString::fromUtf8(c.caption));
    pubhost = field(this, "pubhost");
    pubport = field(this, "pubport");
    pubport->setPlaceholderText(QStringLiteral("空欄なら標準のポート"));
    pubuser = field(this, "pubuser");
    pubfolder = field(this, "pubfolder");
    puburl = field(this, "puburl");
    pubsubfolder = field(this, "pubsubfolder");
    pubauth = new QComboBox(this);
    pubauth->setObjectName(QStringLiteral("pubauth"));
    pubauth->addItems({QStringLiteral("パスワード"), QStringLiteral("鍵ファイル"), QStringLiteral("ssh-agent")});
    pubkeyfile = field(this, "pubkeyfile");
    pubpassword = field(this, "pubpassword");
    pubpassword->setEchoMode(QLineEdit::Password);
    pubpassword->setPlaceholderText(QStringLiteral("キーリングに保存します（空欄なら今のまま）"));
    pubok = new QPushButton(QStringLiteral("OK"), this);
    pubok->setObjectName(QStringLiteral("pubok"));
    pubok->setDefault(true);
    pubcancel = new QPushButton(QStringLiteral("キャンセル"), this);
    pubcancel->setObjectName(QStringLiteral("pubcancel"));

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("方式"), pubprotocol);
    form->addRow(QStringLiteral("ホスト"), pubhost);
    form->addRow(QStringLiteral("ポート"), pubport);
    form->addRow(QStringLiteral("ユーザー名"), pubuser);
    form->addRow(QStringLiteral("アルバムを置くフォルダ"), pubfolder);
    form->addRow(QStringLiteral("そのフォルダの公開アドレス"), puburl);
    form->addRow(QStringLiteral("このアルバムのフォルダ名"), pubsubfolder);
    form->addRow(QStringLiteral("ログイン"), pubauth);
    form->addRow(QStringLiteral("鍵ファイル"), pubkeyfile);
    form->addRow(QStringLiteral("パスワード"), pubpassword);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(pubok);
    buttons->addWidget(pubcancel);
    form->addRow(buttons);

    QSettings settings = dirs::settings();
    if (const std::optional<publish::Site> site = publish::storedSite(settings)) {
        for (int i = 0; i < int(std::size(choices)); ++i)
            if (choices[i].protocol == site->protocol && choices[i].tls == site->tls)
                pubprotocol->setCurrentIndex(i);
        pubhost->setText(site->host);
        if (site->port > 0)
            pubport->setText(QString::number(site->port));
        pubuser->setText(site->user);
        pubfolder->setText(site->folder);
        puburl->setText(site->url);
        pubauth->setCurrentIndex(int(site->auth));
        pubkeyfile->setText(site->keyfile);
    }
    pubsubfolder->setText(publish::albumSubfolder(albumFolder_));
    pubprotocol_Change();
    connect(pubprotocol, &QComboBox::currentIndexChanged, this, &pubset::pubprotocol_Change);
    connect(pubok, &QPushButton::clicked, this, &pubset::pubok_Click);
    connect(pubcancel, &QPushButton::clicked, this, &QDialog::reject);
}

void pubset::pubprotocol_Change()
{
    // Key files and the agent are SSH's alone.
    const bool sftp = choices[pubprotocol->currentIndex()].protocol == publish::Protocol::Sftp;
    if (!sftp)
        pubauth->setCurrentIndex(0);
    pubauth->setEnabled(sftp);
}

void pubset::pubok_Click()
{
    const Choice &choice = choices[pubprotocol->currentIndex()];
    publish::Site site;
    site.protocol = choice.protocol;
    site.tls = choice.tls;
    site.host = pubhost->text().trimmed();
    site.port = pubport->text().trimmed().isEmpty() ? 0 : pubport->text().trimmed().toInt();
    if (!pubport->text().trimmed().isEmpty() && site.port == 0)
        site.port = -1;
    site.user = pubuser->text().trimmed();
    site.folder = pubfolder->text().trimmed();
    site.url = puburl->text().trimmed();
    site.auth = publish::Site::Auth(pubauth->currentIndex());
    site.keyfile = pubkeyfile->text().trimmed();
    if (const QString problem = publish::siteProblem(site); !problem.isEmpty()) {
        messagebox::show(this, problem);
        return;
    }
    const QString subfolder = pubsubfolder->text().trimmed();
    if (subfolder.isEmpty() || subfolder.contains(u'/') || subfolder == u"." || subfolder == u"..") {
        messagebox::show(this, QStringLiteral("このアルバムのフォルダ名を、/ を含まない名前で入れてください。"));
        return;
    }
    if (site.protocol == publish::Protocol::Ftp
        && messagebox::show(this,
               QStringLiteral("FTP ではパスワードも写真も暗号化されずに送られ、途中で盗み見られるおそれがあります。\n"
                              "SFTP か FTPS が使えるなら、そちらを選んでください。\n\nFTP で公開しますか？"),
               messagebox::Buttons::YesNo)
               != QMessageBox::Yes)
        return;
    QSettings settings = dirs::settings();
    publish::storeSite(settings, site);
    QString error;
    if (!albumFolder_.isEmpty() && !publish::rememberSubfolder(albumFolder_, subfolder, &error))
        messagebox::show(this, error);
    if (!pubpassword->text().isEmpty() && !keyring::write(keyring::account(site), pubpassword->text(), &error))
        messagebox::show(this, error);
    pubpassword->clear();
    accept();
}
