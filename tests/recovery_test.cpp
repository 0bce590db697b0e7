// The safety copy's keeper without a window: when it writes, what it writes,
// and which states never replace a copy with captions.
#include "testkit.h"

#include "album/recovery.h"
#include "project/projectfile.h"
#include "textio/cp932.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSignalSpy>

namespace {

recovery::State state(const QStringList &entries)
{
    recovery::State s;
    s.folder = QStringLiteral("/photos/trip");
    s.album.entries = entries;
    return s;
}

QByteArray bytesOf(const recovery::State &s)
{
    return cp932::encodeLines(projectfile::write(s.folder, s.album), cp932::Unmappable::Report);
}

const QStringList captioned{QStringLiteral("a.jpg,海"), QStringLiteral("b.jpg")};
const QStringList bare{QStringLiteral("a.jpg"), QStringLiteral("b.jpg,  ")};

} // namespace

TEST(SafetyCopy, WrittenOnceTheDelayHasPassedOffTheCallersThread)
{
    testkit::Sandbox box;
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
    EXPECT_EQ(testkit::bytes(recovery::path()), bytesOf(current));
    EXPECT_TRUE(recovery::path().startsWith(box.path()));
}

TEST(SafetyCopy, AStateWithoutCaptionsNeverReplacesOneWithCaptions)
{
    const struct
    {
        QStringList before, after;
        bool replaced;
    } cases[] = {
        {captioned, bare, false},
        {captioned, {}, false},
        {bare, {}, true},
        {bare, captioned, true},
        {captioned, {QStringLiteral("c.jpg,山")}, true},
    };
    for (const auto &c : cases) {
        testkit::Sandbox box;
        recovery::State current = state(c.before);
        {
            recovery::Keeper first([&] { return current; });
            first.flush();
        }
        // A keeper of a later run knows what the copy on disk holds.
        recovery::Keeper keeper([&] { return current; });
        current = state(c.after);
        keeper.flush();
        EXPECT_EQ(testkit::bytes(recovery::path()), bytesOf(state(c.replaced ? c.after : c.before)))
            << c.before.join(u'|').toStdString() << " -> " << c.after.join(u'|').toStdString();
    }
}

TEST(SafetyCopy, TheRestoredFileReadsBackAsTheAlbum)
{
    testkit::Sandbox box;
    recovery::State s = state(captioned);
    s.album.title = QStringLiteral("夏\U0001F600");
    s.album.background = 4;
    recovery::Keeper keeper([&] { return s; });
    keeper.flush();
    const projectfile::Loaded f = projectfile::parse(testkit::bytes(recovery::path()));
    album::Album back;
    projectfile::apply(f, back);
    EXPECT_TRUE(f.madeIn(s.folder));
    EXPECT_EQ(back.entries, captioned);
    EXPECT_EQ(back.background, 4);
    EXPECT_EQ(back.title, QStringLiteral("夏&#128512;"));
}
