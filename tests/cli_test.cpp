// The command line as plain values: what each argument list asks for, and
// the usage error every mistake gives instead of the window.
#include "testkit.h"

#include "cli/cli.h"

#include <gtest/gtest.h>

namespace {

const QString hint = QStringLiteral("\n使い方は「kamerio --help」で表示できます。\n");

QStringList words(std::initializer_list<const char16_t *> list)
{
    QStringList l;
    for (const char16_t *w : list)
        l << QString::fromUtf16(w);
    return l;
}

void expectUsageError(const cli::Reply &reply, const QString &command, const QString &fragment)
{
    EXPECT_EQ(reply.status, 2);
    EXPECT_EQ(reply.out, QString());
    EXPECT_TRUE(reply.err.startsWith(command + QStringLiteral(": ")) && reply.err.endsWith(hint)
                && reply.err.contains(fragment))
        << reply.err.toStdString();
}

TEST(CommandLine, NothingOpensTheWindow)
{
    EXPECT_TRUE(std::holds_alternative<cli::OpenWindow>(cli::parse({})));
}

TEST(CommandLine, HelpAndVersionPrintOnStandardOutput)
{
    const struct
    {
        QStringList args;
        QString out;
    } table[] = {
        {words({u"--version"}), QStringLiteral("Kamerio 1.34\n")},
        {words({u"--help"}), cli::usage()},
    };
    for (const auto &row : table)
        EXPECT_EQ(std::get<cli::Reply>(cli::parse(row.args)), (cli::Reply{row.out, {}, 0}));
    EXPECT_TRUE(cli::usage().startsWith(QStringLiteral("使い方:\n  kamerio ")));
    for (const char *option : {"--help", "--version"})
        EXPECT_TRUE(cli::usage().contains(QLatin1String(option)));
}

TEST(CommandLine, AnythingElseIsAUsageErrorNamingTheArgument)
{
    const struct
    {
        QStringList args;
        QString named;
    } table[] = {
        {words({u"--bogus"}), QStringLiteral("「--bogus」")},
        {words({u"-platform", u"offscreen"}), QStringLiteral("「-platform」")},
        {words({u"album.txt"}), QStringLiteral("「album.txt」")},
        {words({u"--help", u"--version"}), QStringLiteral("「--version」")},
        {words({u"--version", u"x"}), QStringLiteral("「x」")},
    };
    for (const auto &row : table)
        expectUsageError(std::get<cli::Reply>(cli::parse(row.args)), QStringLiteral("kamerio"), row.named);
    // "make" goes to its own parser, mistakes and all.
    EXPECT_TRUE(std::holds_alternative<cli::MakeArgs>(cli::parse(words({u"make", u"album.txt"}))));
    expectUsageError(std::get<cli::Reply>(cli::parse(words({u"make"}))), QStringLiteral("kamerio make"),
                     QStringLiteral("プロジェクトファイル"));
}

class MakeArguments : public ::testing::Test
{
protected:
    MakeArguments()
    {
        box.folder(QStringLiteral("work/out"));
        box.touch(box.folder(QStringLiteral("work")), {QStringLiteral("plain.txt")});
    }
    // A path under the working folder, spelt out rather than resolved.
    static QString here(const char16_t *path)
    {
        const QString p = QString::fromUtf16(path);
        return p.startsWith(u'/') ? p : p.isEmpty() ? QDir::currentPath() : QDir::currentPath() + u'/' + p;
    }
    testkit::Sandbox box;
};

TEST_F(MakeArguments, Accepted)
{
    const struct
    {
        QStringList args;
        const char16_t *project, *outDir;
        bool split;
        std::optional<int> width, web;
    } table[] = {
        {words({u"a.txt"}), u"a.txt", u"", false, {}, {}},
        {words({u"sub/a.txt"}), u"sub/a.txt", u"sub", false, {}, {}},
        {words({u"/srv/a.txt"}), u"/srv/a.txt", u"/srv", false, {}, {}},
        {words({u"--split", u"a.txt"}), u"a.txt", u"", true, {}, {}},
        {words({u"a.txt", u"--width", u"640"}), u"a.txt", u"", false, 640, {}},
        {words({u"a.txt", u"--width=1"}), u"a.txt", u"", false, 1, {}},
        {words({u"a.txt", u"--width", u"0360"}), u"a.txt", u"", false, 360, {}},
        {words({u"a.txt", u"--width", u"9999"}), u"a.txt", u"", false, 9999, {}},
        {words({u"a.txt", u"--web"}), u"a.txt", u"", false, {}, 1600},
        {words({u"a.txt", u"--web=2560"}), u"a.txt", u"", false, {}, 2560},
        {words({u"sub/a.txt", u"--out", u"out"}), u"sub/a.txt", u"out", false, {}, {}},
        {words({u"--out=out/", u"a.txt"}), u"a.txt", u"out", false, {}, {}},
        {words({u"--", u"-a.txt"}), u"-a.txt", u"", false, {}, {}},
        {words({u"--split", u"--web=2048", u"--width", u"360", u"--out", u"out", u"a.txt"}), u"a.txt", u"out", true,
            360, 2048},
    };
    for (const auto &row : table) {
        const auto parsed = cli::parseMake(row.args);
        ASSERT_TRUE(std::holds_alternative<cli::MakeArgs>(parsed)) << std::get<cli::Reply>(parsed).err.toStdString();
        EXPECT_EQ(std::get<cli::MakeArgs>(parsed),
            (cli::MakeArgs{here(row.project), here(row.outDir), row.split, row.width, row.web}))
            << row.args.join(u' ').toStdString();
    }
}

TEST_F(MakeArguments, RefusedWithTheReason)
{
    const struct
    {
        QStringList args;
        QString reason;
    } table[] = {
        {{}, QStringLiteral("プロジェクトファイルを指定してください。")},
        {words({u""}), QStringLiteral("プロジェクトファイルを指定してください。")},
        {words({u"a.txt", u"b.txt"}), QStringLiteral("１つだけ指定してください（a.txt、b.txt）")},
        {words({u"a.txt", u"--web", u"2048"}), QStringLiteral("１つだけ指定してください（a.txt、2048）")},
        {words({u"a.txt", u"--width"}), QStringLiteral("--width の後に幅（ピクセル数）を指定")},
        {words({u"a.txt", u"--width="}), QStringLiteral("--width の後に幅")},
        {words({u"a.txt", u"--width", u"0"}), QStringLiteral("幅「0」は 1 から 9999 までの数に")},
        {words({u"a.txt", u"--width", u"10000"}), QStringLiteral("幅「10000」")},
        {words({u"a.txt", u"--width", u" 64"}), QStringLiteral("幅「 64」")},
        {words({u"a.txt", u"--width", u"+64"}), QStringLiteral("幅「+64」")},
        {words({u"a.txt", u"--width", u"６４"}), QStringLiteral("幅「６４」")},
        {words({u"a.txt", u"--width", u"--split"}), QStringLiteral("幅「--split」")},
        {words({u"a.txt", u"--web=800"}), QStringLiteral("--web の長辺「800」は 1024、1600、2048、2560 のどれか")},
        {words({u"a.txt", u"--out"}), QStringLiteral("--out の後に出力先のフォルダを指定")},
        {words({u"a.txt", u"--out", u"missing"}), QStringLiteral("出力先のフォルダ「missing」が見つかりません。")},
        {words({u"a.txt", u"--out", u"plain.txt"}), QStringLiteral("出力先のフォルダ「plain.txt」が見つかりません。")},
        {words({u"a.txt", u"--split=1"}), QStringLiteral("「--split=1」は使えないオプションです。")},
        {words({u"a.txt", u"--spilt"}), QStringLiteral("「--spilt」は使えないオプションです。")},
        {words({u"a.txt", u"--split", u"--split"}), QStringLiteral("--split が２回指定されています。")},
        {words({u"a.txt", u"--width=5", u"--width", u"6"}), QStringLiteral("--width が２回指定されています。")},
        {words({u"a\uFFFD.txt"}), QStringLiteral("「a\uFFFD.txt」には読み取れない文字があります。")},
    };
    for (const auto &row : table) {
        const auto parsed = cli::parseMake(row.args);
        ASSERT_TRUE(std::holds_alternative<cli::Reply>(parsed)) << row.args.join(u' ').toStdString();
        expectUsageError(std::get<cli::Reply>(parsed), QStringLiteral("kamerio make"), row.reason);
    }
}

TEST_F(MakeArguments, PublishTakesMakesOptionsAndItsOwn)
{
    box.touch(box.folder(QStringLiteral("work")), {QStringLiteral("key")});
    cli::PublishArgs all;
    all.make = {here(u"a.txt"), here(u"out"), true, std::nullopt, 1024};
    all.site = QStringLiteral("sftp://kae@example.jp/albums/");
    all.url = QStringLiteral("https://example.jp/albums/");
    all.identity = here(u"key");
    all.acceptHostKey = QStringLiteral("SHA256:abc");
    all.dryRun = all.removeStale = all.resendAll = all.passwordStdin = true;
    cli::PublishArgs plain;
    plain.make = {here(u"a.txt"), here(u""), false, std::nullopt, std::nullopt};
    const auto parsed = cli::parse(words({u"publish", u"--split", u"a.txt", u"--site", u"sftp://kae@example.jp/albums/",
        u"--url=https://example.jp/albums/", u"--web=1024", u"--identity", u"key", u"--accept-host-key", u"SHA256:abc",
        u"--dry-run", u"--remove-stale", u"--resend-all", u"--password-stdin", u"--out", u"out"}));
    ASSERT_TRUE(std::holds_alternative<cli::PublishArgs>(parsed)) << std::get<cli::Reply>(parsed).err.toStdString();
    EXPECT_EQ(std::get<cli::PublishArgs>(parsed), all);
    EXPECT_EQ(std::get<cli::PublishArgs>(cli::parse(words({u"publish", u"a.txt"}))), plain);

    const struct
    {
        QStringList args;
        QString reason;
    } refused[] = {
        {words({u"a.txt", u"--site"}), QStringLiteral("--site の後に値を指定してください。")},
        {words({u"a.txt", u"--dry-run=1"}), QStringLiteral("「--dry-run=1」は使えないオプションです。")},
        {words({u"a.txt", u"--resend-all", u"--resend-all"}), QStringLiteral("--resend-all が２回指定されています。")},
        {words({u"a.txt", u"--accept-host-key", u"abc"}), QStringLiteral("「SHA256:」で始まる形")},
        {words({u"a.txt", u"--identity", u"missing"}), QStringLiteral("鍵ファイル「missing」が見つかりません。")},
        {words({u"a.txt", u"--width", u"0"}), QStringLiteral("幅「0」")},
        {words({}), QStringLiteral("プロジェクトファイルを指定してください。")},
    };
    for (const auto &row : refused) {
        const auto reply = cli::parsePublish(row.args);
        ASSERT_TRUE(std::holds_alternative<cli::Reply>(reply)) << row.args.join(u' ').toStdString();
        expectUsageError(std::get<cli::Reply>(reply), QStringLiteral("kamerio publish"), row.reason);
    }
}

} // namespace
