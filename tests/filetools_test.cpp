#include "testkit.h"

#include "fileops/fsname.h"
#include "fileops/renaming.h"
#include "fileops/safefile.h"
#include "fileops/workcopy.h"
#include "textio/diskfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <map>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Files = std::map<QString, QByteArray>;

QByteArray raw(const QString &path)
{
    return fsname::encode(path);
}

void write(const QString &path, const QByteArray &bytes)
{
    FILE *f = fopen(raw(path).constData(), "wb");
    ASSERT_NE(f, nullptr) << path.toStdString();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
    fclose(f);
}

QByteArray read(const QString &path)
{
    QByteArray out;
    FILE *f = fopen(raw(path).constData(), "rb");
    if (!f)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, qsizetype(n));
    fclose(f);
    return out;
}

// Every regular file of a folder, hidden ones included, with its bytes.
Files snapshot(const QString &dir)
{
    Files out;
    for (const QString &name : safefile::entries(dir)) {
        struct stat st;
        if (stat(raw(fsname::join(dir, name)).constData(), &st) == 0 && S_ISREG(st.st_mode))
            out[name] = read(fsname::join(dir, name));
    }
    return out;
}

// Files whose contents are their own names, so every file can be traced.
void fill(const QString &dir, const QStringList &names)
{
    for (const QString &n : names)
        write(fsname::join(dir, n), "content of " + fsname::encode(n));
}

std::multiset<QByteArray> contents(const Files &files)
{
    std::multiset<QByteArray> out;
    for (const auto &[name, bytes] : files)
        out.insert(bytes);
    return out;
}

std::vector<renaming::Move> serialMoves(const QStringList &names, const QString &base, const QString &digits)
{
    std::vector<renaming::Move> out;
    for (int i = 0; i < names.size(); ++i)
        out.push_back({names[i], renaming::serialName(base, digits, i + 1, names[i])});
    return out;
}

QStringList keptNames(const renaming::Outcome &o)
{
    QStringList out;
    for (const safefile::Failure &f : o.kept)
        out.append(f.name);
    return out;
}

} // namespace

TEST(SerialName, StemNumberAndExtension)
{
    using renaming::serialName;
    EXPECT_EQ(serialName("", "2", 1, "A.JPG"), "0000001.JPG");
    EXPECT_EQ(serialName("", "2", 2, "b.jpg"), "0000002.jpg");
    EXPECT_EQ(serialName("", "2", 7, "DSC01234.JPG"), "0000007.JPG");
    EXPECT_EQ(serialName("tokyo", "3", 1, "x.jpg"), "tokyo001.jpg");
    EXPECT_EQ(serialName("tokyo", "3", 2, "y.JPG"), "tokyo002.JPG");
    EXPECT_EQ(serialName("photograph", "2", 1, "x.jpg"), "photog01.jpg");
    EXPECT_EQ(serialName("ab", "2", 1, "x.jpg"), "ab00001.jpg");
    EXPECT_EQ(serialName("  ab  ", "2", 3, "x.jpg"), "ab00003.jpg");
    EXPECT_EQ(serialName("a b", "2", 3, "x.jpg"), "a b0003.jpg");
    EXPECT_EQ(serialName("", "2", 1, "README"), "0000001");
    EXPECT_EQ(serialName("", "2", 1, "a.b.jpg"), "0000001.b.jpg");
    EXPECT_EQ(serialName("", "2", 1, "a."), "0000001.");
    EXPECT_EQ(serialName("", "2", 100, "x.jpg"), "00000100.jpg");
    EXPECT_EQ(serialName("", "3", 1000, "x.jpg"), "000001000.jpg");
    for (const char *notThree : {"3 ", " 3", "4", "", "03"})
        EXPECT_EQ(serialName("", notThree, 5, "x.jpg"), "0000005.jpg") << notThree;
    // Characters, not UTF-16 units: a pair is never cut in half.
    EXPECT_EQ(serialName("写真", "2", 1, "x.jpg"), "写真00001.jpg");
    EXPECT_EQ(serialName("😀😀😀😀😀😀😀", "2", 1, "x.jpg"), "😀😀😀😀😀😀01.jpg");
    EXPECT_EQ(serialName("😀", "2", 1, "x.jpg"), "😀000001.jpg");
}

TEST(LowerName, WholeNameAndStrayBytesKept)
{
    EXPECT_EQ(renaming::lowerName("DSC01234.JPG"), "dsc01234.jpg");
    EXPECT_EQ(renaming::lowerName("Äpfel.Jpg"), "äpfel.jpg");
    EXPECT_EQ(renaming::lowerName("写真.JPG"), "写真.jpg");
    const QString stray = fsname::decode("\xff" "A.JPG");
    EXPECT_EQ(fsname::encode(renaming::lowerName(stray)), QByteArray("\xff" "a.jpg"));
}

TEST(RenamePlan, ChainsRunFromTheirFreeEnd)
{
    // a wants b's name, b wants c's, c goes to a free name.
    const auto p = renaming::plan({{"a", "b"}, {"b", "c"}, {"c", "d"}, {"x", "x"}}, {"a", "b", "c", "x"});
    ASSERT_EQ(p.groups.size(), 1u);
    ASSERT_EQ(p.groups[0].steps.size(), 3u);
    EXPECT_FALSE(p.groups[0].ring);
    EXPECT_EQ(p.groups[0].steps[0].from, "c");
    EXPECT_EQ(p.groups[0].steps[2].from, "a");
    EXPECT_TRUE(p.kept.empty());
}

TEST(RenamePlan, BlockedNamesDuplicatesAndUnusableNamesKeepTheirFiles)
{
    const auto p = renaming::plan({{"A.jpg", "a.jpg"}, {"a.jpg", "a.jpg"}, {"B.JPG", "b.jpg"}, {"b.JPG", "b.jpg"},
                                   {"q", "held"}, {"p", "q"}, {"s", "x/y"}, {"t", ".hidden"}},
                                  {"A.jpg", "a.jpg", "B.JPG", "b.JPG", "q", "p", "held", "s", "t"});
    ASSERT_EQ(p.groups.size(), 1u);
    EXPECT_EQ(p.groups[0].steps[0].from, "B.JPG");
    std::map<QString, int> kept;
    for (const auto &f : p.kept)
        kept[f.name] = f.error;
    EXPECT_EQ(kept, (std::map<QString, int>{
                        {"A.jpg", EEXIST}, {"b.JPG", EEXIST}, {"q", EEXIST}, {"p", EEXIST}, {"s", EINVAL}, {"t", EINVAL}}));
}

TEST(RenamePlan, RingsGoThroughAFreeTemporaryName)
{
    // The name the plan would try first is taken: it must go on to the next.
    const QString last = diskfile::temporaryName();
    const qsizetype dash = last.lastIndexOf('-');
    const QString next = last.left(dash + 1) + QString::number(last.mid(dash + 1).toInt() + 1);
    const auto p = renaming::plan({{"a", "b"}, {"b", "c"}, {"c", "a"}}, {"a", "b", "c", next});
    ASSERT_EQ(p.groups.size(), 1u);
    const auto &s = p.groups[0].steps;
    ASSERT_EQ(s.size(), 4u);
    EXPECT_TRUE(p.groups[0].ring);
    EXPECT_EQ(s[0].from, "a");
    EXPECT_TRUE(s[0].to.startsWith("kamerio-tmp-"));
    EXPECT_NE(s[0].to, next);
    EXPECT_EQ(s[1].from, "c");
    EXPECT_EQ(s[2].from, "b");
    EXPECT_EQ(s[3].from, s[0].to);
    EXPECT_EQ(s[3].to, "b");
}

TEST(RenameFolder, SerialNamesTwiceAndOverAnAlreadyNumberedFolder)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    fill(d, {"A.JPG", "b.jpg", "c"});
    const Files before = snapshot(d);

    auto o = renaming::renameAll(d, serialMoves(fsname::listFiles(d), "", "2"));
    EXPECT_EQ(o.renamed, 3);
    EXPECT_TRUE(o.kept.empty());
    Files after = snapshot(d);
    EXPECT_EQ(after["0000001.JPG"], before.at("A.JPG"));
    EXPECT_EQ(after["0000002.jpg"], before.at("b.jpg"));
    EXPECT_EQ(after["0000003"], before.at("c"));

    o = renaming::renameAll(d, serialMoves(fsname::listFiles(d), "tokyo", "3"));
    EXPECT_EQ(o.renamed, 3);
    EXPECT_EQ(fsname::listFiles(d), QStringList({"tokyo001.JPG", "tokyo002.jpg", "tokyo003"}));

    // Same settings again: every name already is its new name.
    o = renaming::renameAll(d, serialMoves(fsname::listFiles(d), "tokyo", "3"));
    EXPECT_EQ(o.renamed, 0);
    EXPECT_TRUE(o.kept.empty());

    // A new photo sorting first pushes every number up by one: each new name
    // is the old name of the file after it.
    fill(d, {"tokyo000.jpg"});
    const Files numbered = snapshot(d);
    o = renaming::renameAll(d, serialMoves(fsname::listFiles(d), "tokyo", "3"));
    EXPECT_EQ(o.renamed, 4);
    EXPECT_TRUE(o.kept.empty());
    after = snapshot(d);
    EXPECT_EQ(after["tokyo001.jpg"], numbered.at("tokyo000.jpg"));
    EXPECT_EQ(after["tokyo002.JPG"], numbered.at("tokyo001.JPG"));
    EXPECT_EQ(after["tokyo003.jpg"], numbered.at("tokyo002.jpg"));
    EXPECT_EQ(after["tokyo004"], numbered.at("tokyo003"));
    EXPECT_EQ(contents(after), contents(numbered));
}

TEST(RenameFolder, RingsSwapNamesAndNameTakenOutsideThePlanIsKept)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    fill(d, {"a", "b", "c", "d", "e"});
    QDir(d).mkdir("taken");
    const Files before = snapshot(d);
    const auto o = renaming::renameAll(d, {{"a", "b"}, {"b", "c"}, {"c", "a"}, {"d", "e"}, {"e", "taken"}});
    EXPECT_EQ(o.renamed, 3);
    EXPECT_EQ(keptNames(o), QStringList({"d", "e"}));
    const Files after = snapshot(d);
    EXPECT_EQ(after.at("b"), before.at("a"));
    EXPECT_EQ(after.at("c"), before.at("b"));
    EXPECT_EQ(after.at("a"), before.at("c"));
    EXPECT_EQ(after.at("d"), before.at("d"));
    EXPECT_EQ(contents(after), contents(before));
    EXPECT_TRUE(QFileInfo(d + "/taken").isDir());
    EXPECT_EQ(renaming::report("H", o, "X"), QStringLiteral("H\nd（同じ名前のものがあります）\ne（同じ名前のものがあります）"));
}

TEST(RenameFolder, LinksAndWhatTheyLeadToKeepTheirNames)
{
    QTemporaryDir dir, outside;
    const QString d = dir.path();
    fill(d, {"a", "b", "c"});
    fill(outside.path(), {"x"});
    // A link to a, a link to that link, one leading out of the folder and one leading nowhere.
    for (const auto &[link, target] : {std::pair{"l1", QStringLiteral("a")}, {"l2", QStringLiteral("l1")},
             {"out", outside.path() + "/x"}, {"none", QStringLiteral("gone")}})
        ASSERT_EQ(::symlink(raw(target).constData(), raw(d + '/' + link).constData()), 0) << link;
    const QStringList names = {"a", "b", "c", "l1", "l2", "out", "none"};
    EXPECT_EQ(renaming::linkedNames(d, names), QStringList({"a", "l1", "l2", "out", "none"}));

    const auto o = renaming::renameAll(d, serialMoves(names, "", "2"));
    EXPECT_EQ(o.renamed, 2);
    EXPECT_EQ(o.linked, QStringList({"a", "l1", "l2", "out", "none"}));
    EXPECT_EQ(read(d + "/l2"), "content of a");
    EXPECT_EQ(read(d + "/0000002"), "content of b");
    EXPECT_EQ(renaming::report("H", o, "X"),
              QStringLiteral("次のﾌｧｲﾙはシンボリックリンクか、そのリンク先のため、元の名前のままです。\na\nl1\nl2\nout\nnone"));
}

TEST(RenameFolder, AFileGoneBeforeItsTurnLosesNothing)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    // A chain (x1 waits for x2's name) and a ring, each with a file removed
    // between the listing and the renaming.
    fill(d, {"x1", "x2", "r1", "r2", "r3", "other"});
    const std::vector<renaming::Move> wanted = {
        {"x1", "x2"}, {"x2", "x3"}, {"r1", "r2"}, {"r2", "r3"}, {"r3", "r1"}, {"other", "OTHER"}};
    const renaming::Plan p = renaming::plan(wanted, safefile::entries(d));
    QFile::remove(d + "/x2");
    QFile::remove(d + "/r3");
    const Files before = snapshot(d);
    const auto o = renaming::run(d, p);
    EXPECT_EQ(o.renamed, 1);
    EXPECT_TRUE(o.stranded.empty());
    std::map<QString, int> kept;
    for (const auto &f : o.kept)
        kept[f.name] = f.error;
    EXPECT_EQ(kept, (std::map<QString, int>{{"x1", EEXIST}, {"x2", ENOENT}, {"r1", EEXIST}, {"r2", EEXIST},
                                            {"r3", ENOENT}}));
    Files after = snapshot(d);
    EXPECT_EQ(after.at("x1"), before.at("x1"));
    EXPECT_EQ(after.at("r1"), before.at("r1"));
    EXPECT_EQ(after.at("r2"), before.at("r2"));
    EXPECT_EQ(after.at("OTHER"), before.at("other"));
    EXPECT_EQ(contents(after), contents(before));
}

TEST(RenameFolder, LowerCasingSkipsNamesTakenByAnotherFile)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    fill(d, {"A.jpg", "a.jpg", "B.JPG", "b.JPG", "DSC.Jpg", "lower.jpg"});
    const Files before = snapshot(d);
    std::vector<renaming::Move> wanted;
    for (const QString &n : fsname::listFiles(d))
        wanted.push_back({n, renaming::lowerName(n)});
    const auto o = renaming::renameAll(d, wanted);
    EXPECT_EQ(o.renamed, 2);
    EXPECT_EQ(keptNames(o), QStringList({"A.jpg", "b.JPG"}));
    const Files after = snapshot(d);
    EXPECT_EQ(after.at("a.jpg"), before.at("a.jpg"));
    EXPECT_EQ(after.at("A.jpg"), before.at("A.jpg"));
    EXPECT_EQ(after.at("b.jpg"), before.at("B.JPG"));
    EXPECT_EQ(after.at("dsc.jpg"), before.at("DSC.Jpg"));
    EXPECT_EQ(contents(after), contents(before));
}

TEST(RenameFolder, ReportNamesTheFirstTwentyAndCountsTheRest)
{
    std::vector<safefile::Failure> many;
    for (int i = 0; i < 25; ++i)
        many.push_back({QString::number(i), ENOENT});
    const QStringList lines = safefile::report("H", many).split('\n');
    ASSERT_EQ(lines.size(), 22);
    EXPECT_EQ(lines[1], "0（見つかりません）");
    EXPECT_EQ(lines[21], "ほか5個");
    EXPECT_TRUE(safefile::report("H", {}).isEmpty());
}

TEST(SafeRename, NeverReplacesAFileOrAFolder)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    fill(d, {"a", "b"});
    QDir(d).mkpath("full/inside");
    QDir(d).mkdir("empty");
    QDir(d).mkdir("src");
    int e = 0;
    EXPECT_FALSE(safefile::rename(d + "/a", d + "/b", &e));
    EXPECT_EQ(e, EEXIST);
    // rename(2) would silently replace the empty folder.
    EXPECT_FALSE(safefile::rename(d + "/src", d + "/empty", &e));
    EXPECT_FALSE(safefile::rename(d + "/src", d + "/full", &e));
    EXPECT_FALSE(safefile::rename(d + "/a", d + "/empty", &e));
    EXPECT_TRUE(QFileInfo(d + "/src").isDir());
    EXPECT_TRUE(QFileInfo(d + "/full/inside").isDir());
    EXPECT_EQ(read(d + "/a"), "content of a");
    EXPECT_EQ(read(d + "/b"), "content of b");
    EXPECT_FALSE(safefile::rename(d + "/gone", d + "/c", &e));
    EXPECT_EQ(e, ENOENT);
    EXPECT_TRUE(safefile::rename(d + "/src", d + "/dst", &e));
    EXPECT_TRUE(QFileInfo(d + "/dst").isDir());
}

TEST(SafeRename, CaseOnlyRenameOnACaseSensitiveDiskAndStrayBytes)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    fill(d, {"A.JPG", "B.JPG", "b.jpg"});
    EXPECT_TRUE(safefile::rename(d + "/A.JPG", d + "/a.jpg"));
    EXPECT_EQ(read(d + "/a.jpg"), "content of A.JPG");
    int e = 0;
    EXPECT_FALSE(safefile::rename(d + "/B.JPG", d + "/b.jpg", &e));
    EXPECT_EQ(e, EEXIST);
    EXPECT_EQ(snapshot(d).size(), 3u);

    const QString stray = fsname::decode("\xe9t\xe9.JPG");
    write(fsname::join(d, stray), "latin-1 name");
    EXPECT_TRUE(safefile::rename(fsname::join(d, stray), fsname::join(d, renaming::lowerName(stray))));
    EXPECT_EQ(read(d + QString::fromLatin1("/") + fsname::decode("\xe9t\xe9.jpg")), "latin-1 name");
    EXPECT_TRUE(safefile::entries(d).contains(fsname::decode("\xe9t\xe9.jpg")));
}

TEST(SafeRename, LinkRenameRefusesAnExistingName)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    fill(d, {"a", "b"});
    int e = 0;
    EXPECT_FALSE(safefile::renameByLink(d + "/a", d + "/b", &e));
    EXPECT_EQ(e, EEXIST);
    EXPECT_TRUE(safefile::renameByLink(d + "/a", d + "/c", &e));
    EXPECT_EQ(snapshot(d), (Files{{"b", "content of b"}, {"c", "content of a"}}));
}

namespace {

// A FAT image mounted through FUSE: names that differ only in case are one file.
class FatDisk
{
public:
    explicit FatDisk(const QString &base)
    {
        const QString mkfs = QStandardPaths::findExecutable("mkfs.vfat", {"/usr/sbin", "/sbin"});
        const QString fuse = QStandardPaths::findExecutable("fusefat");
        if (mkfs.isEmpty() || fuse.isEmpty()) {
            why = "mkfs.vfat (dosfstools) or fusefat is not installed";
            return;
        }
        const QString image = base + "/fat.img";
        mount_ = base + "/fat";
        QDir().mkpath(mount_);
        QFile img(image);
        if (!img.open(QIODevice::WriteOnly) || !img.resize(4 << 20)) {
            why = "cannot make the disk image";
            return;
        }
        img.close();
        if (QProcess::execute(mkfs, {image}) != 0) {
            why = "mkfs.vfat failed";
            return;
        }
        if (QProcess::execute(fuse, {"-o", "rw+", image, mount_}) != 0) {
            why = "fusefat cannot mount here (no /dev/fuse?)";
            return;
        }
        mounted_ = true;
    }
    ~FatDisk()
    {
        if (mounted_)
            QProcess::execute("fusermount", {"-u", mount_});
    }
    QString path() const { return mount_; }
    bool ready() const { return mounted_; }
    QString why;

private:
    QString mount_;
    bool mounted_ = false;
};

} // namespace

TEST(SafeRename, CaseOnlyRenameOnACaseInsensitiveDisk)
{
    QTemporaryDir dir;
    FatDisk fat(dir.path());
    if (!fat.ready())
        GTEST_SKIP() << fat.why.toStdString();
    const QString d = fat.path();
    fill(d, {"IMG.JPG", "Photo.Jpg", "keep.jpg"});
    ASSERT_TRUE(QFileInfo::exists(d + "/img.jpg")) << "the disk does not ignore case";
    std::vector<renaming::Move> wanted;
    for (const QString &n : fsname::listFiles(d))
        wanted.push_back({n, renaming::lowerName(n)});
    const auto o = renaming::renameAll(d, wanted);
    EXPECT_EQ(o.renamed, 2);
    EXPECT_TRUE(o.kept.empty());
    EXPECT_EQ(snapshot(d), (Files{{"img.jpg", "content of IMG.JPG"},
                                  {"photo.jpg", "content of Photo.Jpg"},
                                  {"keep.jpg", "content of keep.jpg"}}));
    int e = 0;
    EXPECT_FALSE(safefile::rename(d + "/keep.jpg", d + "/PHOTO.JPG", &e));
    EXPECT_EQ(e, EEXIST);
    EXPECT_EQ(snapshot(d).size(), 3u);
}

TEST(SafeCopy, ReplacesWholeKeepsTimesAndNeverCopiesOntoItself)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    QDir(d).mkdir("t");
    write(d + "/p.jpg", QByteArray(700000, 'x'));
    write(d + "/t/p.jpg", "old copy");
    const struct timespec times[2] = {{1000000000, 0}, {1100000000, 0}};
    utimensat(AT_FDCWD, raw(d + "/p.jpg").constData(), times, 0);
    EXPECT_TRUE(safefile::copyReplacing(d + "/p.jpg", d + "/t/p.jpg"));
    EXPECT_EQ(read(d + "/t/p.jpg"), QByteArray(700000, 'x'));
    struct stat st;
    ASSERT_EQ(stat(raw(d + "/t/p.jpg").constData(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(safefile::entries(d + "/t"), QSet<QString>({"p.jpg"}));

    int e = 0;
    EXPECT_FALSE(safefile::copyReplacing(d + "/p.jpg", d + "/p.jpg", &e));
    EXPECT_EQ(e, safefile::sameFileError);
    ASSERT_EQ(symlink(".", raw(d + "/loop").constData()), 0);
    EXPECT_FALSE(safefile::copyReplacing(d + "/p.jpg", d + "/loop/p.jpg", &e));
    EXPECT_EQ(e, safefile::sameFileError);
    EXPECT_FALSE(safefile::copyReplacing(d + "/t", d + "/t2", &e));
    EXPECT_EQ(e, EISDIR);
    // A pipe named like a photo (a project file can list any name) has no
    // writer: opening it to read must not wait for one.
    ASSERT_EQ(mkfifo(raw(d + "/pipe.jpg").constData(), 0644), 0);
    EXPECT_FALSE(safefile::copyReplacing(d + "/pipe.jpg", d + "/t/pipe.jpg", &e));
    EXPECT_EQ(e, EINVAL);
    EXPECT_FALSE(QFileInfo::exists(d + "/t/pipe.jpg"));
    EXPECT_EQ(read(d + "/p.jpg"), QByteArray(700000, 'x'));
}

TEST(SafeCopy, AFullDiskLeavesTheOldCopyWhole)
{
    QTemporaryDir dir;
    const QString small = dir.path() + "/small";
    QDir().mkpath(small);
    testkit::Tmpfs fs(small, "size=256k");
    if (!fs.mounted())
        GTEST_SKIP() << fs.why();
    write(dir.path() + "/big.jpg", QByteArray(400000, 'b'));
    write(small + "/big.jpg", "old copy");
    int e = 0;
    EXPECT_FALSE(safefile::copyReplacing(dir.path() + "/big.jpg", small + "/big.jpg", &e));
    EXPECT_EQ(e, ENOSPC);
    EXPECT_EQ(snapshot(small), (Files{{"big.jpg", "old copy"}}));
}

TEST(WorkCopy, CopiesBareNamesOnlyAndReportsTheRest)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/photos";
    QDir().mkpath(d);
    fill(d, {"p1.jpg", "p2.jpg"});
    write(dir.path() + "/outside.jpg", "outside");
    auto r = workcopy::copyListed(d, {"p1.jpg,はな,です", "p2.jpg", "p1.jpg", "missing.jpg", "../outside.jpg", ""});
    EXPECT_EQ(r.folderError, 0);
    EXPECT_EQ(r.copied, 3);
    ASSERT_EQ(r.failed.size(), 3u);
    EXPECT_EQ(r.failed[0].name, "missing.jpg");
    EXPECT_EQ(r.failed[0].error, ENOENT);
    EXPECT_EQ(r.failed[1].error, EINVAL);
    EXPECT_EQ(snapshot(d + "/tmp"), (Files{{"p1.jpg", "content of p1.jpg"}, {"p2.jpg", "content of p2.jpg"}}));
    EXPECT_FALSE(QFileInfo::exists(d + "/outside.jpg"));

    QDir(d + "/tmp").removeRecursively();
    write(d + "/tmp", "a plain file");
    r = workcopy::copyListed(d, {"p1.jpg"});
    EXPECT_EQ(r.folderError, EEXIST);
    EXPECT_EQ(read(d + "/tmp"), "a plain file");
}

// A cancel is honoured between files and between groups of renames: what
// was begun is finished, nothing stands half-made, and the rest is untouched.
TEST(Cancelling, StopsAtASafePointAndSaysHowFarItCame)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    fill(d, {"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg"});
    std::atomic_bool cancel = false;
    const auto afterTwo = [&](int done, int) { cancel = done == 2; };
    const auto copied = workcopy::copyListed(d, {"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg"}, afterTwo, &cancel);
    EXPECT_EQ(copied.copied, 2);
    EXPECT_EQ(copied.untried, 3);
    EXPECT_EQ(snapshot(d + "/tmp"), (Files{{"p1.jpg", "content of p1.jpg"}, {"p2.jpg", "content of p2.jpg"}}));
    EXPECT_EQ(workcopy::report(copied),
              QStringLiteral("ｺﾋﾟｰを中止しました。\n2 個のﾌｧｲﾙを tmp にｺﾋﾟｰし、残りの 3 個はｺﾋﾟｰしていません。"));

    // A chain of two, then a ring of three: cancelled after the chain, the
    // ring is not begun.
    QDir(d + "/tmp").removeRecursively();
    const std::vector<renaming::Move> wanted = {{"p1.jpg", "p2.jpg"}, {"p2.jpg", "x.jpg"}, {"p3.jpg", "p4.jpg"},
        {"p4.jpg", "p5.jpg"}, {"p5.jpg", "p3.jpg"}};
    const Files before = snapshot(d);
    cancel = false;
    auto o = renaming::renameAll(d, wanted, [&](int done, int) { cancel = done == 2; }, &cancel);
    EXPECT_EQ(o.renamed, 2);
    EXPECT_EQ(o.untried, 3);
    Files after = snapshot(d);
    EXPECT_EQ(after, (Files{{"p2.jpg", before.at("p1.jpg")}, {"x.jpg", before.at("p2.jpg")},
                            {"p3.jpg", before.at("p3.jpg")}, {"p4.jpg", before.at("p4.jpg")},
                            {"p5.jpg", before.at("p5.jpg")}}));
    EXPECT_EQ(renaming::report("H", o, QStringLiteral("連番改名")),
              QStringLiteral("連番改名を中止しました。\n2 個のﾌｧｲﾙの名前を変え、残りの 3 個は元の名前のままです。"));

}
