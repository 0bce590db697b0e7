// The kept albums without a window: their file, the merge of two windows'
// work, and which albums the keeper keeps of a run of changes.
#include "keptalbums.h"

#include "album/keptalbum.h"
#include "album/recovery.h"
#include "fileops/fsname.h"
#include "project/projectfile.h"
#include "textio/cp932.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFileInfo>
#include <QSignalSpy>
#include <QThread>

namespace {

recovery::State state(const QStringList &entries)
{
    recovery::State s;
    s.folder = QStringLiteral("/photos/trip");
    s.album.entries = entries;
    return s;
}

keptalbum::Kept kept(const QStringList &entries, const QList<qint64> &times)
{
    keptalbum::Kept k;
    k.folder = QStringLiteral("/photos/trip");
    k.album.entries = entries;
    k.times = times;
    return k;
}

const QStringList captioned{QStringLiteral("a.jpg,海"), QStringLiteral("b.jpg")};
const QStringList bare{QStringLiteral("a.jpg"), QStringLiteral("b.jpg,  ")};
const QString stray = fsname::decode("caf\xE9 %41.jpg");

} // namespace

TEST(KeptAlbum, TheFileKeepsEveryNameAndCaptionExactly)
{
    keptalbum::Kept k = kept({QStringLiteral("🌸さくら.jpg,夜桜 <br>100%"), stray + QStringLiteral(",\t改\r\n行"),
                              QStringLiteral("b.jpg,"), QStringLiteral("  "), QStringLiteral("c.jpg")},
                             {1796686990000, 1, 0, -5, 7});
    k.folder = fsname::decode("/photos/\xFF\xFE");
    k.changed = 1796687001123;
    k.album.title = QStringLiteral("夏\U0001F600 旅");
    k.album.background = 9;
    k.album.width = QString();
    k.album.split = 2;
    const QByteArray expected = "kamerio kept album 1\n"
                                "changed 1796687001123\n"
                                "folder /photos/%FF%FE\n"
                                "photos 5\n"
                                "captions 2\n"
                                "title \xE5\xA4\x8F\xF0\x9F\x98\x80%20\xE6\x97\x85\n"
                                "page index.html\n"
                                "backlink http://\n"
                                "background 9\n"
                                "backgroundimage http://\n"
                                "border 0\n"
                                "widthflag 0\n"
                                "width \n"
                                "split 2\n"
                                "entry 1796686990000 \xF0\x9F\x8C\xB8\xE3\x81\x95\xE3\x81\x8F\xE3\x82\x89.jpg,"
                                "\xE5\xA4\x9C\xE6\xA1\x9C%20<br>100%25\n"
                                "entry 1 caf%E9%20%2541.jpg,%09\xE6\x94\xB9%0D%0A\xE8\xA1\x8C\n"
                                "entry 0 b.jpg,\n"
                                "entry -5 %20%20\n"
                                "entry 7 c.jpg\n";
    EXPECT_EQ(keptalbum::write(k), expected);
    const std::optional<keptalbum::Kept> back = keptalbum::read(expected);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->sameContent(k));
    EXPECT_EQ(back->changed, k.changed);
    EXPECT_EQ(fsname::encode(back->album.entries[1]), fsname::encode(k.album.entries[1]));
    const std::optional<keptalbum::Head> head = keptalbum::readHead(expected);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->folder, k.folder);
    EXPECT_EQ(head->photos, 5);
    EXPECT_EQ(head->captions, 2);
    EXPECT_EQ(head->changed, k.changed);
}

TEST(KeptAlbum, AFileEditedOrCutShortReadsAsFarAsItGoes)
{
    const QByteArray top = "kamerio kept album 1\n";
    const struct
    {
        QByteArray bytes;
        std::optional<QStringList> entries;
        QList<qint64> times;
        int background;
    } cases[] = {
        {"kamerio kept album 2\nentry 1 a.jpg\n", std::nullopt, {}, 1},
        {"", std::nullopt, {}, 1},
        {top, QStringList{}, {}, 1},
        {top + "entry 5 a.jpg,x\r\nentry 6 b.jpg\r\n", QStringList{"a.jpg,x", "b.jpg"}, {5, 6}, 1},
        {top + "background 10\nfuture 1\nentry x a.jpg\nentry 9\nentry 3 c.jpg,%zz%4", QStringList{"a.jpg", "", "c.jpg,%zz%4"},
         {0, 9, 3}, 1},
        {top + "background 4\nbackground -1\nentry 2 a.jpg,%E3%81%82", QStringList{"a.jpg,あ"}, {2}, 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        const std::optional<keptalbum::Kept> k = keptalbum::read(c.bytes);
        ASSERT_EQ(k.has_value(), c.entries.has_value());
        if (!k)
            continue;
        EXPECT_EQ(k->album.entries, *c.entries);
        EXPECT_EQ(k->times, c.times);
        EXPECT_EQ(k->album.background, c.background);
    }
}

TEST(KeptAlbum, OfTwoWindowsTheLaterChangeOfEachEntryWins)
{
    const struct
    {
        const char *why;
        keptalbum::Kept mine, other, expected;
    } cases[] = {
        {"each window's own photo",
         kept({"a.jpg,mine", "b.jpg", "c.jpg"}, {5, 1, 1}),
         kept({"a.jpg", "b.jpg,theirs", "c.jpg"}, {1, 6, 1}),
         kept({"a.jpg,mine", "b.jpg,theirs", "c.jpg"}, {5, 6, 1})},
        {"the same photo",
         kept({"a.jpg,first", "b.jpg,kept"}, {5, 9}),
         kept({"a.jpg,second", "b.jpg,older"}, {7, 8}),
         kept({"a.jpg,second", "b.jpg,kept"}, {7, 9})},
        {"the list and its order are mine",
         kept({"c.jpg", "a.jpg"}, {1, 1}),
         kept({"a.jpg,x", "b.jpg,y"}, {4, 4}),
         kept({"c.jpg", "a.jpg,x"}, {1, 4})},
        {"a photo listed twice, by its place among its own",
         kept({"a.jpg,1", "b.jpg", "a.jpg"}, {3, 1, 1}),
         kept({"a.jpg", "a.jpg,2"}, {1, 4}),
         kept({"a.jpg,1", "b.jpg", "a.jpg,2"}, {3, 1, 4})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        const keptalbum::Kept m = keptalbum::merged(c.mine, c.other);
        EXPECT_EQ(m.album.entries, c.expected.album.entries);
        EXPECT_EQ(m.times, c.expected.times);
    }
    // An entry keeps its time while its text stays; any other gets the new one.
    EXPECT_EQ(keptalbum::timesAfter({"b.jpg", "a.jpg,x", "a.jpg", "c.jpg"}, kept({"a.jpg,x", "b.jpg"}, {3, 4}), 9),
              (QList<qint64>{4, 3, 9, 9}));
}

TEST(SafetyCopy, WrittenOnceTheDelayHasPassedOffTheCallersThread)
{
    testkit::Sandbox box;
    {
        // An empty album is nothing to keep.
        recovery::Keeper keeper([] { return state({}); });
        keeper.changed();
        keeper.flush();
        EXPECT_FALSE(keeper.exists());
    }
    recovery::State current = state(captioned);
    int reads = 0;
    recovery::Keeper keeper([&] { ++reads; return current; }, 50);
    EXPECT_FALSE(keeper.exists());
    QSignalSpy saved(&keeper, &recovery::Keeper::saved);
    keeper.changed();
    keeper.changed();
    EXPECT_EQ(reads, 0);
    ASSERT_TRUE(saved.wait(2000));
    EXPECT_EQ(reads, 1);
    EXPECT_TRUE(keeper.exists());
    EXPECT_EQ(keptEntries(), QList<QStringList>{captioned});
    EXPECT_TRUE(recovery::folder().startsWith(box.path()));
}

TEST(SafetyCopy, WhichAlbumsAreKeptOfARunOfChanges)
{
    // Each step is a list of entries the window shows, written at once, or
    // "new" for a list replaced as a whole.
    const QStringList newAlbum{QStringLiteral("new")};
    const struct
    {
        const char *why;
        QList<QStringList> steps;
        QList<QStringList> kept;
    } cases[] = {
        {"an album is kept in its newest state", {captioned, {"a.jpg,海", "b.jpg,山"}}, {{"a.jpg,海", "b.jpg,山"}}},
        {"an empty list is nothing to keep", {{}}, {}},
        {"a list without captions never replaces the album's captions", {captioned, bare, {}}, {captioned}},
        {"nor one that is only emptied", {bare, {}}, {bare}},
        {"photos get their captions", {bare, captioned}, {captioned}},
        {"a new list is another album", {captioned, newAlbum, bare}, {bare, captioned}},
        {"a new list emptied first too", {captioned, newAlbum, {}, newAlbum, {"c.jpg,空"}}, {{"c.jpg,空"}, captioned}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        testkit::Sandbox box;
        recovery::State current;
        recovery::Keeper keeper([&] { return current; });
        for (const QStringList &step : c.steps) {
            if (step == newAlbum) {
                keeper.startAlbum();
                continue;
            }
            current = state(step);
            keeper.changed();
            keeper.flush();
            // Albums are told apart by when they last changed.
            QThread::msleep(2);
        }
        EXPECT_EQ(keptEntries(), c.kept);
    }
}

TEST(SafetyCopy, AlbumsWithoutCaptionsNeverPushCaptionedOnesOut)
{
    testkit::Sandbox box;
    recovery::State current;
    recovery::Keeper keeper([&] { return current; });
    const auto album = [&](const QString &entry) {
        keeper.startAlbum();
        current = state({entry});
        keeper.changed();
        keeper.flush();
        QThread::msleep(2);
    };
    for (int i = 0; i < 22; ++i)
        album(QStringLiteral("c%1.jpg,説明").arg(i));
    for (int i = 0; i < 25; ++i)
        album(QStringLiteral("b%1.jpg").arg(i));
    QList<QStringList> expected;
    for (int i = 24; i >= 5; --i)
        expected.append({QStringLiteral("b%1.jpg").arg(i)});
    for (int i = 21; i >= 2; --i)
        expected.append({QStringLiteral("c%1.jpg,説明").arg(i)});
    EXPECT_EQ(keptEntries(), expected);
}

TEST(SafetyCopy, TheOneCopyOfEarlierVersionsIsTakenOverOnce)
{
    album::Album a;
    a.entries = captioned;
    a.title = QStringLiteral("旅");
    const QByteArray project = cp932::encodeLines(projectfile::write(QStringLiteral("/photos/trip"), a),
                                                  cp932::Unmappable::Report);
    const struct
    {
        QByteArray old;
        bool taken;
    } cases[] = {{project, true}, {"not an album\r\n", false}};
    for (const auto &c : cases) {
        testkit::Sandbox box;
        QDir().mkpath(QFileInfo(recovery::legacyPath()).path());
        testkit::writeFile(recovery::legacyPath(), c.old);
        const qint64 when = QFileInfo(recovery::legacyPath()).lastModified().toMSecsSinceEpoch();
        for (int look = 0; look < 2; ++look) {
            const QList<recovery::Listed> listed = recovery::list();
            ASSERT_EQ(listed.size(), c.taken ? 1 : 0);
            EXPECT_EQ(QFileInfo::exists(recovery::legacyPath()), !c.taken);
            if (!c.taken)
                continue;
            EXPECT_EQ(listed[0].head.changed, when);
            const keptalbum::Kept k = *recovery::load(listed[0].id);
            EXPECT_EQ(k.folder, QStringLiteral("/photos/trip"));
            EXPECT_EQ(k.album, a);
        }
    }
}
