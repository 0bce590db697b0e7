// Writing a full album (32 767 photos) as one page and as pages of twenty
// with the generation engine, against merely writing the same bytes into as
// many files. A page is saved atomically,
// which flushes it to the disk before it replaces the old one, so the floor
// it is measured against is the same bytes written and flushed; the same
// bytes left in the page cache are shown too.
#include "html/engine.h"
#include "html/page.h"
#include "html/split.h"
#include "textio/cp932.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

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

QStringList entries()
{
    QStringList out;
    out.reserve(photos);
    for (int i = 1; i <= photos; ++i)
        out << (i % 3 == 0 ? QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'))
             : QStringLiteral("IMG_%1.JPG,写真 %1 番 海と山, 晴れ<br>2004年").arg(i, 5, 10, QLatin1Char('0')));
    return out;
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

album::Album albumOf(const QStringList &entries, bool splitIntoPages)
{
    const page::Options o = options(QString());
    album::Album a;
    a.entries = entries;
    a.title = o.title;
    a.backLink = o.backLink;
    a.background = o.background;
    a.widthFlag = 1;
    a.width = o.width;
    a.split = splitIntoPages ? 1 : 0;
    return a;
}

// Our way: the engine, as the detail button and the command line run it.
void writeAlbum(const album::Album &a, const QString &dir)
{
    const engine::Report report = engine::generate(a, dir);
    if (!report.failed.empty() || !report.refusals.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(engine::closingMessage(report) + report.refusals.join(u'\n')));
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
                         page::compose(options(p.label), entries.mid(p.first, p.count)).bytes);
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

int main()
{
    const QStringList photoEntries = entries();
    QTemporaryDir ours;
    QTemporaryDir plain;
    std::printf("album of %d photos, best of %d rounds\n", photos, rounds);
    for (bool splitIntoPages : {false, true}) {
        const auto files = finished(photoEntries, splitIntoPages);
        const album::Album a = albumOf(photoEntries, splitIntoPages);
        qint64 total = 0;
        for (const auto &f : files)
            total += f.second.size();
        // Taken in turns, so that a busy disk weighs on all three alike.
        double engine = 1e300, flushed = 1e300, cached = 1e300;
        for (int i = 0; i < rounds; ++i) {
            engine = std::min(engine, elapsedMs([&] { writeAlbum(a, ours.path()); }));
            flushed = std::min(flushed, elapsedMs([&] { writeBytes(plain.path(), files, true); }));
            cached = std::min(cached, elapsedMs([&] { writeBytes(plain.path(), files, false); }));
        }
        if (QFile f(ours.path() + u'/' + files.front().first); !f.open(QIODevice::ReadOnly) || f.readAll() != files.front().second) {
            std::fprintf(stderr, "the engine wrote other bytes than the floor writes\n");
            return 1;
        }
        std::printf("%s: %zu file(s), %.1f KiB\n"
                    "  engine              %9.1f ms\n"
                    "  same bytes, flushed %9.1f ms   ratio %.2f\n"
                    "  same bytes, cached  %9.1f ms   ratio %.2f\n",
                    splitIntoPages ? "split into pages of 20" : "one page", files.size(), double(total) / 1024,
                    engine, flushed, engine / flushed, cached, engine / cached);
    }
    return 0;
}
