// The 公開 menu on a real window, a real WebDAV server on 127.0.0.1 and a
// real keyring (run inside tests/keyring_session.sh): the site typed into
// its dialog, the password kept in the keyring alone, the server's
// certificate shown and accepted, the preview, and the album's address.
#include "albumwindow.h"
#include "servers.h"

#include "app/opener.h"
#include "publish/keyring.h"
#include "publish/pubset.h"
#include "publish/pubview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Handles the next modal dialog of type T as it opens.
template <typename T>
class OnDialog : public QObject
{
public:
    explicit OnDialog(std::function<void(T *)> handle) : handle_(std::move(handle))
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto *d = qobject_cast<T *>(QApplication::activeModalWidget()); d && !done_) {
                done_ = true;
                handle_(d);
            }
        });
        timer_.start(20);
    }
    bool done_ = false;

private:
    std::function<void(T *)> handle_;
    QTimer timer_;
};

TEST(PublishWindow, TheSiteThePasswordInTheKeyringTheCertificateAndTheAddress)
{
    auto server = servers::start(publish::Protocol::WebDav);
    ASSERT_TRUE(server->running()) << server->error.toStdString();
    AlbumWindow a({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    testkit::writeFile(a.dir + QStringLiteral("/a.jpg"), "photo a");
    a.w->Text4->setText(QStringLiteral("index.html"));
    testkit::Modals modals;
    std::vector<QUrl> opened;
    opener::set([&opened](const QUrl &url, const opener::Failed &) {
        opened.push_back(url);
        return true;
    });
    // Past the keyring, the window never asks for the password.
    OnDialog<QInputDialog> asked([](QInputDialog *d) { d->reject(); });

    OnDialog<pubset> site([&](pubset *d) {
        EXPECT_EQ(d->pubsubfolder->text(), QStringLiteral("photos"));
        d->pubprotocol->setCurrentIndex(2);
        d->pubhost->setText(server->site.host);
        d->pubport->setText(QString::number(server->site.port));
        d->pubuser->setText(server->site.user);
        d->puburl->setText(QStringLiteral("https://example.jp/albums"));
        d->pubsubfolder->setText(QStringLiteral("夏"));
        d->pubpassword->setText(server->password);
        QTest::mouseClick(d->pubok, Qt::LeftButton);
    });
    a.w->pubsite->trigger();
    ASSERT_TRUE(site.done_);
    const keyring::Read stored = keyring::read(QStringLiteral("webdav://kamerio@127.0.0.1:%1").arg(server->site.port));
    ASSERT_EQ(stored.answer, keyring::Answer::Found) << "no Secret Service: run inside tests/keyring_session.sh";
    EXPECT_EQ(stored.password, server->password);

    modals.answer(QMessageBox::Yes); // the certificate's fingerprint
    modals.answer(QMessageBox::Yes); // open the address in the browser
    a.w->publish->trigger();
    ASSERT_GE(modals.shown.size(), 2);
    EXPECT_TRUE(modals.shown[0].text.contains(server->identity.fingerprint)) << modals.shown[0].text.toStdString();
    EXPECT_TRUE(modals.shown[1].text.startsWith(QStringLiteral("公開しました。3 ﾌｧｲﾙを送りました。")))
        << modals.shown[1].text.toStdString();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(QUrl::FullyEncoded), QStringLiteral("https://example.jp/albums/%E5%A4%8F/index.html"));
    const QString remote = server->root + QStringLiteral("/夏");
    EXPECT_EQ(testkit::bytes(remote + QStringLiteral("/a.jpg")), QByteArray("photo a"));
    EXPECT_EQ(testkit::bytes(remote + QStringLiteral("/index.html")), testkit::bytes(a.dir + QStringLiteral("/index.html")));

    // A caption changed: the preview lists the one page, removal off.
    a.w->List1->item(0)->setText(QStringLiteral("a.jpg,海"));
    modals.shown.clear();
    OnDialog<pubview> preview([](pubview *v) {
        EXPECT_FALSE(v->pubremove->isChecked());
        ASSERT_EQ(v->publist->count(), 1);
        EXPECT_EQ(v->publist->item(0)->text(), QStringLiteral("置き換える　index.html"));
        QTest::mouseClick(v->pubgo, Qt::LeftButton);
    });
    modals.answer(QMessageBox::No);
    a.w->pubpreview->trigger();
    ASSERT_TRUE(preview.done_);
    EXPECT_FALSE(asked.done_);
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_TRUE(modals.shown[0].text.startsWith(QStringLiteral("公開しました。1 ﾌｧｲﾙを送りました。")));
    EXPECT_EQ(testkit::bytes(remote + QStringLiteral("/index.html")), testkit::bytes(a.dir + QStringLiteral("/index.html")));

    // The password is in the keyring and in no file Kamerio wrote.
    QDirIterator it(a.box.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        EXPECT_FALSE(testkit::bytes(path).contains(server->password.toUtf8())) << path.toStdString();
    }
    opener::set(nullptr);
}

} // namespace
