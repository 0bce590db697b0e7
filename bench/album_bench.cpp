// Writing a full album (32 767 photos) as one page and as pages of twenty,
// the way the detail button does it in the main window, against merely
// writing the same bytes into as many files. A page is saved atomically,
// which flushes it to the disk before it replaces the old one, so the floor
// it is measured against is the same bytes written and flushed; the same
// bytes left in the page cache are shown too.
#include "app/main1.h"
#include "app/panes.h"
#include "html/page.h"
#include "html/split.h"
#include "textio/cp932.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int photos = 32767;
constexpr int rounds = 5;

QStringList album()
{
    QStringList entries;
    entries.reserve(photos);
    for (int i = 1; i <= photos; ++i)
        entries << (i % 3 == 0 ? QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'))
                               : QStringLiteral("IMG_%1.JPG,写真 %1 番 海と山, 晴れ<br>2004年").arg(i, 5, 10, QLatin1Char('0')));
    return entries;
}

page::Options options(const QString &label)
{
    page::Options o;
    o.title = QStringLiteral("夏の旅行");
    o.backLink = QStringLiteral("http://example.jp/~me/");
    o.background = 3;
    o.fixedWidth = true;
    o.width = QStringLiteral("480");
    o.albumCount = photos;
    o.label = label;
    return o;
}

// The main window in dir, holding the album with the options above.
std::unique_ptr<main1> window(const QString &dir, const QStringList &entries, bool splitIntoPages)
{
    auto w = std::make_unique<main1>();
    w->Dir1->changeTo(dir);
    w->List1->addItems(entries);
    w->Text6->setText(options(QString()).title);
    w->Text9->setText(options(QString()).backLink);
    w->Option3->setChecked(true);
    w->Check2->setChecked(true);
    w->Check4->setChecked(splitIntoPages);
    return w;
}

// Our way: the detail button, up to its closing message.
void writeAlbum(main1 &w)
{
    QString said;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            said = box->text();
            box->accept();
        }
    });
    answer.start(0);
    w.Command4_Click();
    if (said != QStringLiteral("作成しました。")) {
        std::fprintf(stderr, "%s\n", qPrintable(said));
        std::exit(1);
    }
}

// The floor: the finished bytes written with plain system calls.
void writeBytes(const QString &dir, const std::vector<std::pair<QString, QByteArray>> &files, bool flush)
{
    for (const auto &[name, bytes] : files) {
        const int fd = ::open(QFile::encodeName(dir + u'/' + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size() ||
            (flush && ::fsync(fd) != 0) || ::close(fd) != 0) {
            std::perror("write");
            std::exit(1);
        }
    }
}

std::vector<std::pair<QString, QByteArray>> finished(const QStringList &entries, bool splitIntoPages)
{
    std::vector<std::pair<QString, QByteArray>> out;
    for (const split::Page &p : split::pages(int(entries.size()), splitIntoPages))
        out.emplace_back(page::fileName(QStringLiteral("index.html"), p.number),
                         cp932::encodeLines(page::compose(options(p.label), entries.mid(p.first, p.count)).lines,
                                            cp932::Unmappable::CharRef));
    return out;
}

double elapsedMs(const std::function<void()> &run)
{
    QElapsedTimer t;
    t.start();
    run();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    // No screen needed, and the user's own settings stay untouched.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The offscreen screen warns about every message box it shows.
    QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    const QStringList entries = album();
    QTemporaryDir ours;
    QTemporaryDir plain;
    std::printf("album of %d photos, best of %d rounds\n", photos, rounds);
    for (bool splitIntoPages : {false, true}) {
        const auto files = finished(entries, splitIntoPages);
        const auto w = window(ours.path(), entries, splitIntoPages);
        qint64 total = 0;
        for (const auto &f : files)
            total += f.second.size();
        // Taken in turns, so that a busy disk weighs on all three alike.
        double album = 1e300, flushed = 1e300, cached = 1e300;
        for (int i = 0; i < rounds; ++i) {
            album = std::min(album, elapsedMs([&] { writeAlbum(*w); }));
            flushed = std::min(flushed, elapsedMs([&] { writeBytes(plain.path(), files, true); }));
            cached = std::min(cached, elapsedMs([&] { writeBytes(plain.path(), files, false); }));
        }
        if (QFile f(ours.path() + u'/' + files.front().first); !f.open(QIODevice::ReadOnly) || f.readAll() != files.front().second) {
            std::fprintf(stderr, "the window wrote other bytes than the floor writes\n");
            return 1;
        }
        std::printf("%s: %zu file(s), %.1f KiB\n"
                    "  album written       %9.1f ms\n"
                    "  same bytes, flushed %9.1f ms   ratio %.2f\n"
                    "  same bytes, cached  %9.1f ms   ratio %.2f\n",
                    splitIntoPages ? "split into pages of 20" : "one page", files.size(), double(total) / 1024,
                    album, flushed, album / flushed, cached, album / cached);
    }
    return 0;
}
