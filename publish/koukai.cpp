// The 公開 menu: the site, the preview of what would be sent, and the run
// that writes the pages and sends what changed.
#include "album/photocheck.h"
#include "app/dirs.h"
#include "app/longwork.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/opener.h"
#include "app/panes.h"
#include "publish/keyring.h"
#include "publish/publishing.h"
#include "publish/pubset.h"
#include "publish/pubview.h"
#include "publish/site.h"
#include "publish/trust.h"

#include <QCheckBox>
#include <QInputDialog>
#include <QListWidget>
#include <QLocale>

namespace {

QString progressText(const publish::Progress &p)
{
    QString text = QStringLiteral("公開先に送っています… %1 / %2 ﾌｧｲﾙ　%3 / %4")
                       .arg(p.files)
                       .arg(p.totalFiles)
                       .arg(QLocale::c().formattedDataSize(p.bytes), QLocale::c().formattedDataSize(p.totalBytes));
    if (const qint64 left = p.secondsLeft(); left >= 0)
        text += left < 60 ? QStringLiteral("　残り 約 %1 秒").arg(left)
                          : QStringLiteral("　残り 約 %1 分").arg((left + 59) / 60);
    return text;
}

} // namespace

void main1::connectPublishing()
{
    connect(pubsite, &QAction::triggered, this, &main1::pubsite_Click);
    connect(pubpreview, &QAction::triggered, this, &main1::pubpreview_Click);
    connect(publish, &QAction::triggered, this, &main1::publish_Click);
    connect(pubresend, &QAction::triggered, this, &main1::pubresend_Click);
}

void main1::pubsite_Click()
{
    pubset dialog(this, Label1->text());
    dialog.exec();
}

void main1::pubpreview_Click()
{
    publish::Job job;
    publish::Prepared prepared;
    if (!preparePublishing(false, job, prepared))
        return;
    pubview view(this, prepared.plan);
    if (view.exec() == QDialog::Accepted)
        sendAlbum(job, prepared, view.pubremove->isChecked());
}

void main1::publish_Click()
{
    publish::Job job;
    publish::Prepared prepared;
    if (preparePublishing(false, job, prepared))
        sendAlbum(job, prepared, false);
}

void main1::pubresend_Click()
{
    publish::Job job;
    publish::Prepared prepared;
    if (preparePublishing(true, job, prepared))
        sendAlbum(job, prepared, false);
}

bool main1::preparePublishing(bool resendAll, publish::Job &job, publish::Prepared &prepared)
{
    if (List1->count() == 0) {
        messagebox::show(this, QStringLiteral("フォルダ内のjpg写真を写真リストに追加して下さい"));
        return false;
    }
    QSettings settings = dirs::settings();
    std::optional<publish::Site> site = publish::storedSite(settings);
    if (!site) {
        pubsite_Click();
        QSettings again = dirs::settings();
        site = publish::storedSite(again);
        if (!site)
            return false;
    }
    job.album = album();
    job.folder = Label1->text();
    job.options = generationOptions();
    job.site = *site;
    job.subfolder = publish::albumSubfolder(job.folder);
    job.resendAll = resendAll;
    const publish::Records sent = publish::Ledger(publish::ledgerKey(job.site, job.subfolder)).records();
    longwork::Job work(QStringLiteral("ページを作成しています…"));
    longwork::run(this, work, [&] {
        const auto progress = [&](engine::Phase phase, int done, int total) {
            work.setLabel(phase == engine::Phase::WebCopies ? QStringLiteral("Web 用の縮小写真を作っています…")
                                                            : QStringLiteral("ページを作成しています…"));
            work.step(done, total);
        };
        prepared = publish::prepare(job, sent, progress, work.cancelFlag());
    });
    setAlbum(prepared.report.album);
    File1->refresh();
    if (!prepared.report.missing.isEmpty() && !prepared.report.cancelled)
        messagebox::show(this, photocheck::message(prepared.report.missing));
    if (const QString problem = publish::pagesProblem(prepared); !problem.isEmpty()) {
        messagebox::show(this, problem);
        return false;
    }
    return true;
}

void main1::sendAlbum(const publish::Job &job, const publish::Prepared &prepared, bool removeStale)
{
    publish::Credentials credentials;
    const bool connecting = !prepared.plan.steps.empty() || (removeStale && !prepared.plan.stale.isEmpty());
    if (connecting && job.site.auth == publish::Site::Auth::Password) {
        const keyring::Read stored = keyring::read(keyring::account(job.site));
        if (stored.answer == keyring::Answer::Found) {
            credentials.password = stored.password;
        } else {
            bool ok = false;
            credentials.password = QInputDialog::getText(this, QStringLiteral("KAMERIO"),
                QStringLiteral("%1@%2 のパスワード:").arg(job.site.user, job.site.host), QLineEdit::Password,
                QString(), &ok);
            if (!ok)
                return;
        }
    }
    publish::FileTrust trust;
    publish::Ledger ledger(publish::ledgerKey(job.site, job.subfolder));
    longwork::Job work(QStringLiteral("公開先に接続しています…"));
    publish::Events events;
    events.accept = [this](const publish::Identity &identity) {
        bool accepted = false;
        QMetaObject::invokeMethod(
            this,
            [this, &identity] {
                return messagebox::show(this, publish::identityQuestion(identity), messagebox::Buttons::YesNo)
                       == QMessageBox::Yes;
            },
            Qt::BlockingQueuedConnection, &accepted);
        return accepted;
    };
    events.progress = [&work](const publish::Progress &p) {
        work.setLabel(progressText(p));
        work.step(p.files, p.totalFiles);
    };
    publish::Result result;
    longwork::run(this, work, [&] {
        result = publish::run([&] { return publish::makeTransport(job.site, credentials, trust); }, trust, ledger,
            job.folder, publish::remoteFolder(job.site, job.subfolder), prepared.plan, removeStale, events,
            work.cancelFlag());
    });
    if (!result.status.ok() && result.sent.isEmpty() && result.failed.empty()) {
        messagebox::show(this, publish::connectionMessage(result.status, job.site));
        return;
    }
    QString text = publish::closingMessage(job, prepared, result);
    if (!result.status.ok())
        text = publish::connectionMessage(result.status, job.site) + QStringLiteral("\n\n") + text;
    const QString address = publish::firstPageAddress(job, prepared);
    if (address.isEmpty() || result.cancelled) {
        messagebox::show(this, text);
        return;
    }
    if (messagebox::show(this, text + QStringLiteral("\n\nブラウザで開きますか？"), messagebox::Buttons::YesNo)
        == QMessageBox::Yes)
        opener::open(QUrl(address), [this, address] {
            messagebox::show(this, QStringLiteral("ブラウザで %1 を開けませんでした。").arg(address));
        });
}
