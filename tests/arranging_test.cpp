#include "exifdates.h"
#include "jpegs.h"
#include "testkit.h"

#include "album/arranging.h"
#include "fileops/fsname.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>

#include <sys/stat.h>
#include <utime.h>

namespace {

// Milliseconds since the epoch of 1 May 2023 at h:m UTC.
qint64 utc(int h, int m)
{
    return QDateTime(QDate(2023, 5, 1), QTime(h, m), Qt::UTC).toMSecsSinceEpoch();
}

// A JPEG whose EXIF block cannot be parsed: its first directory lies far
// beyond the block, or the block claims more bytes than the file holds.
QByteArray withBrokenExif(const QByteArray &jpeg, bool truncated)
{
    const char app1[] = {'\xFF', '\xE1', truncated ? '\xFF' : '\0', truncated ? '\xF0' : '\x10',
                         'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, '\x7F', '\xFF', '\xFF', '\xF0'};
    QByteArray out = jpeg;
    out.insert(2, app1, sizeof app1);
    return truncated ? out.left(400) : out;
}

struct Photo
{
    const char *name;
    const char *taken;   // DateTimeOriginal, "" for none
    const char *offset;  // OffsetTimeOriginal, "" for none
    int mtimeHour;       // the file's modification time, 1 May 2023 UTC
    std::optional<qint64> expected;
};

// Local time here is Tokyo's (see SetUpTestSuite): a date without offset is
// nine hours ahead of UTC.
const Photo photos[] = {
    {"tokyo.jpg", "2023:05:01 10:00:00", "+09:00", 20, utc(1, 0)},
    {"london.jpg", "2023:05:01 03:00:00", "+00:00", 20, utc(3, 0)},
    {"newyork.jpg", "2023:04:30 23:30:00", "-04:00", 20, utc(3, 30)},
    {"local.jpg", "2023:05:01 11:30:00", "", 20, utc(2, 30)},
    {"nodate.jpg", "", "", 2, utc(2, 0)},
    {"zerodate.jpg", "0000:00:00 00:00:00", "", 4, utc(4, 0)},
    {"badoffset.jpg", "2023:05:01 13:00:00", "9", 20, utc(4, 0)},
};

class Arranging : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        setenv("TZ", "JST-9", 1);
        tzset();
    }

    void SetUp() override
    {
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        const QByteArray jpeg = jpegs::encode(picture);
        for (const Photo &p : photos) {
            ASSERT_TRUE(exifdates::writePhoto(path(p.name), jpeg, p.taken, p.offset));
            touch(p.name, p.mtimeHour);
        }
        write("notjpeg.jpg", "not a picture", 0);
        write("corrupt.jpg", withBrokenExif(jpeg, false), 5);
        write("truncated.jpg", withBrokenExif(jpeg, true), 6);
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.jpg")));
        // A pipe must not keep the sort waiting for a writer that never comes.
        ASSERT_EQ(mkfifo(fsname::encode(path("pipe.jpg")).constData(), 0644), 0);
        // A name that is not UTF-8 on disk, as the file pane shows it.
        ASSERT_TRUE(exifdates::writePhoto(path("plain.jpg"), jpeg, "2023:05:01 07:15:00", "+00:00"));
        ASSERT_EQ(std::rename(fsname::encode(path("plain.jpg")).constData(),
                              fsname::encode(path(strayByte)).constData()), 0);
    }

    // QTemporaryDir cannot remove a name that is not UTF-8.
    void TearDown() override { std::remove(fsname::encode(path(strayByte)).constData()); }

    QString path(const QString &name) const { return fsname::join(dir.path(), name); }

    void touch(const QString &name, int hour) const
    {
        const time_t t = time_t(utc(hour, 0) / 1000);
        const utimbuf times{t, t};
        ASSERT_EQ(utime(fsname::encode(path(name)).constData(), &times), 0);
    }

    void write(const QString &name, const QByteArray &bytes, int mtimeHour) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        touch(name, mtimeHour);
    }

    const QString strayByte = fsname::decode("caf\xE9.jpg");
    QTemporaryDir dir;
};

TEST_F(Arranging, ShotTimeReadsDateOffsetOrFileTime)
{
    for (const Photo &p : photos)
        EXPECT_EQ(arranging::shotTime(dir.path(), p.name), p.expected) << p.name;
    const std::pair<QString, std::optional<qint64>> others[] = {
        {"notjpeg.jpg", utc(0, 0)}, {"corrupt.jpg", utc(5, 0)}, {"truncated.jpg", utc(6, 0)},
        {strayByte, utc(7, 15)},    {"missing.jpg", std::nullopt}, {"folder.jpg", std::nullopt},
        {"pipe.jpg", std::nullopt},
    };
    for (const auto &[name, expected] : others)
        EXPECT_EQ(arranging::shotTime(dir.path(), name), expected) << name.toStdString();
}

TEST_F(Arranging, SortByShotDateCarriesCaptionsAndPutsUnreadableLast)
{
    const QStringList entries = {
        "london.jpg,ロンドン,夜",
        "missing.jpg,どこへ",
        "local.jpg",
        "truncated.jpg",
        "tokyo.jpg,東京",
        "notjpeg.jpg",
        "folder.jpg",
        "nodate.jpg,",
        "zerodate.jpg",
        "badoffset.jpg,同時刻",
        "tokyo.jpg,もう一度",
        "newyork.jpg",
        strayByte + ",カフェ",
    };
    const QStringList expected = {
        "notjpeg.jpg",          // 0:00 file time
        "tokyo.jpg,東京",       // 1:00, same photo twice: list order
        "tokyo.jpg,もう一度",
        "nodate.jpg,",          // 2:00 file time
        "local.jpg",            // 2:30
        "london.jpg,ロンドン,夜", // 3:00
        "newyork.jpg",          // 3:30
        "zerodate.jpg",         // 4:00 file time, tied with the next
        "badoffset.jpg,同時刻",  // 4:00 local time
        "truncated.jpg",        // 6:00 file time
        strayByte + ",カフェ",   // 7:15
        "missing.jpg,どこへ",    // no time: after the rest, in list order
        "folder.jpg",
    };
    EXPECT_EQ(arranging::reordered(entries, arranging::sortByShotDate(entries, dir.path())), expected);
    EXPECT_TRUE(arranging::sortByShotDate({}, dir.path()).isEmpty());

    // Enough ties that a sort which is not stable would shuffle them.
    const char *const byTime[] = {"tokyo.jpg", "london.jpg", "missing.jpg"};
    QStringList many, inOrder[3];
    for (int i = 0; i < 60; ++i) {
        const int which = (i * 7) % 3;
        many.append(QString::fromUtf8(byTime[which]) + u',' + QString::number(i));
        inOrder[which].append(many.last());
    }
    EXPECT_EQ(arranging::reordered(many, arranging::sortByShotDate(many, dir.path())),
              inOrder[0] + inOrder[1] + inOrder[2]);
}

TEST(ArrangingByName, NaturalCaseInsensitiveByNameOnly)
{
    const QStringList entries = {
        "IMG_10.jpg,十", "x.jpg,aaa", "img_2.JPG", "IMG_1.jpg,a,b", "x.jpg", "IMG_1.jpg,二度目", "DSC_9.jpg,",
    };
    const QStringList expected = {
        "DSC_9.jpg,", "IMG_1.jpg,a,b", "IMG_1.jpg,二度目", "img_2.JPG", "IMG_10.jpg,十", "x.jpg,aaa", "x.jpg",
    };
    EXPECT_EQ(arranging::reordered(entries, arranging::sortByName(entries)), expected);
}

} // namespace
