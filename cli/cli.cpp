#include "cli/cli.h"

#include "html/about.h"
#include "web/edges.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace cli {
namespace {

const QStringList webEdges = [] {
    QStringList out;
    for (int edge : webcopy::edges)
        out.append(QString::number(edge));
    return out;
}();
constexpr int widestWidth = 9999;

Reply usageError(const QString &command, const QString &message)
{
    return Reply{{},
        command + QStringLiteral(": ") + message + QStringLiteral("\n使い方は「kamerio --help」で表示できます。\n"),
        usageStatus};
}

const QString makeCommand = QStringLiteral("kamerio make");
const QString publishCommand = QStringLiteral("kamerio publish");

template <typename Args>
Request either(const std::variant<Args, Reply> &parsed)
{
    if (const auto *args = std::get_if<Args>(&parsed))
        return *args;
    return std::get<Reply>(parsed);
}

bool isWidth(const QString &text)
{
    return text.size() <= QString::number(widestWidth).size()
           && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }) && text.toInt() > 0;
}

} // namespace

QString usage()
{
    return QStringLiteral("使い方:\n"
                          "  kamerio              写真ＨＰ作成の画面を開きます。\n"
                          "  kamerio make PROJECT [--split] [--width N] [--web[=EDGE]] [--out DIR]\n"
                          "                       プロジェクトファイル PROJECT の写真ＨＰを、画面の「詳細 html 作成」と\n"
                          "                       同じように作ります。DIR を省くと PROJECT のあるフォルダに作ります。\n"
                          "    --split            20個ずつ分割作成します。\n"
                          "    --width N          横幅指定の幅を N ピクセルにします（省くと 480）。\n"
                          "    --web[=EDGE]       長辺 EDGE ピクセル（1024、1600、2048、2560。省くと 1600）に縮小した\n"
                          "                       写真を web フォルダに作り、ページに載せます。\n"
                          "    --out DIR          写真のあるフォルダ DIR にページを作ります。\n"
                          "  kamerio publish PROJECT [make のオプション] [--site URL] [--url URL] [--identity KEYFILE]\n"
                          "                  [--accept-host-key SHA256:…] [--accept-certificate SHA256:…]\n"
                          "                  [--dry-run] [--remove-stale] [--resend-all] [--password-stdin]\n"
                          "                       make と同じようにページを作り、変わったﾌｧｲﾙだけを公開先に送ります。\n"
                          "                       送ったﾌｧｲﾙを１行ずつ、削除したﾌｧｲﾙを「削除 PATH」と表示します。\n"
                          "    --site URL         公開先（sftp://USER@HOST:PORT/FOLDER/、ftps://…、davs://…、\n"
                          "                       dav://127.0.0.1…、ftp://…）。省くと画面で設定した公開先です。\n"
                          "                       アルバムはそのフォルダの、写真のフォルダと同じ名前のフォルダに入ります。\n"
                          "    --url URL          公開先フォルダの公開アドレス。\n"
                          "    --identity KEYFILE SFTP のログインに使う鍵ファイル（省くと ssh-agent）。\n"
                          "    --accept-host-key SHA256:…  初めてのサーバーのホスト鍵がこの指紋なら信用して記録します。\n"
                          "    --accept-certificate SHA256:…  自己署名の証明書の公開鍵がこの指紋なら信用して記録します。\n"
                          "    --dry-run          送るﾌｧｲﾙと削除するﾌｧｲﾙを表示するだけで、接続しません。\n"
                          "    --remove-stale     前に送って今は要らないﾌｧｲﾙを公開先から削除します（送信記録にあるものだけ）。\n"
                          "    --resend-all       すべてのﾌｧｲﾙを送り直します。\n"
                          "    --password-stdin   パスワードを標準入力の１行目から読みます（省くとキーリング）。\n"
                          "  kamerio --help       この使い方を表示します。\n"
                          "  kamerio --version    バージョンを表示します。\n"
                          "\n"
                          "make の終了コード: 0 すべてのページを作成、1 作成できなかったページがある、\n"
                          "2 引数の誤りか、プロジェクトファイルを読めない。\n"
                          "publish の終了コード: 0 公開した（送るﾌｧｲﾙがなかったときも）、1 送れなかったﾌｧｲﾙがあるか中断した、\n"
                          "2 引数の誤りか、プロジェクトファイルを読めない、3 サーバーの身元を確かめられない、\n"
                          "4 ログインできない、5 接続できない。\n");
}

Request parse(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return OpenWindow{};
    const QString &first = arguments.first();
    if (first == u"make")
        return either(parseMake(arguments.mid(1)));
    if (first == u"publish")
        return either(parsePublish(arguments.mid(1)));
    std::optional<QString> answer;
    if (first == u"--help")
        answer = usage();
    else if (first == u"--version")
        answer = QStringLiteral("Kamerio ") + about::version + u'\n';
    if (answer && arguments.size() == 1)
        return Reply{*answer, {}, 0};
    return usageError(
        QStringLiteral("kamerio"), QStringLiteral("「%1」は使えない引数です。").arg(answer ? arguments.at(1) : first));
}

namespace {

std::variant<MakeArgs, Reply> parseMakeFor(const QString &command, const QStringList &arguments)
{
    const auto makeError = [&command](const QString &message) { return usageError(command, message); };
    // An argument that was not valid text in the locale arrives with its bad
    // bytes replaced; such a name would point at a different file.
    for (const QString &argument : arguments)
        if (argument.contains(QChar::ReplacementCharacter))
            return makeError(QStringLiteral("「%1」には読み取れない文字があります。").arg(argument));
    MakeArgs made;
    QStringList positional;
    QStringList seen;
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!options || !argument.startsWith(u'-') || argument == u"-") {
            positional << argument;
            continue;
        }
        if (argument == u"--") {
            options = false;
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = argument.left(equals);
        std::optional<QString> value;
        if (equals >= 0)
            value = argument.mid(equals + 1);
        const bool flag = name == u"--split";
        if (!(flag || name == u"--web" || name == u"--width" || name == u"--out") || (flag && value))
            return makeError(QStringLiteral("「%1」は使えないオプションです。").arg(argument));
        if (seen.contains(name))
            return makeError(QStringLiteral("%1 が２回指定されています。").arg(name));
        seen << name;
        if (flag) {
            made.split = true;
        } else if (name == u"--web") {
            const QString edge = value.value_or(QString::number(webcopy::defaultEdge));
            if (!webEdges.contains(edge))
                return makeError(QStringLiteral("--web の長辺「%1」は %2 のどれかにしてください。")
                                     .arg(edge, webEdges.join(QStringLiteral("、"))));
            made.webEdge = edge.toInt();
        } else {
            // --width and --out take their value after "=" or as the next argument.
            if (!value && i + 1 < arguments.size())
                value = arguments.at(++i);
            const bool width = name == u"--width";
            if (!value || value->isEmpty())
                return makeError(
                    QStringLiteral("%1 の後に%2を指定してください。")
                        .arg(name, width ? QStringLiteral("幅（ピクセル数）") : QStringLiteral("出力先のフォルダ")));
            if (width) {
                if (!isWidth(*value))
                    return makeError(QStringLiteral("幅「%1」は 1 から %2 までの数にしてください。")
                                         .arg(*value, QString::number(widestWidth)));
                made.width = value->toInt();
            } else {
                if (!QFileInfo(*value).isDir())
                    return makeError(QStringLiteral("出力先のフォルダ「%1」が見つかりません。").arg(*value));
                made.outDir = QDir(*value).absolutePath();
            }
        }
    }
    positional.removeAll(QString());
    if (positional.isEmpty())
        return makeError(QStringLiteral("プロジェクトファイルを指定してください。"));
    if (positional.size() > 1)
        return makeError(QStringLiteral("プロジェクトファイルは１つだけ指定してください（%1）。")
                             .arg(positional.join(QStringLiteral("、"))));
    const QFileInfo project(positional.first());
    made.project = project.absoluteFilePath();
    if (made.outDir.isEmpty())
        made.outDir = project.absolutePath();
    return made;
}

} // namespace

std::variant<MakeArgs, Reply> parseMake(const QStringList &arguments)
{
    return parseMakeFor(makeCommand, arguments);
}

std::variant<PublishArgs, Reply> parsePublish(const QStringList &arguments)
{
    PublishArgs args;
    const auto error = [](const QString &message) { return usageError(publishCommand, message); };
    const std::pair<const char *, bool *> flags[] = {{"--dry-run", &args.dryRun},
        {"--remove-stale", &args.removeStale}, {"--resend-all", &args.resendAll},
        {"--password-stdin", &args.passwordStdin}};
    const std::pair<const char *, QString *> valued[] = {{"--site", &args.site}, {"--url", &args.url},
        {"--identity", &args.identity}, {"--accept-host-key", &args.acceptHostKey},
        {"--accept-certificate", &args.acceptCertificate}};
    QStringList rest;
    QStringList seen;
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == u"--")
            options = false;
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = argument.left(equals);
        bool *flag = nullptr;
        QString *value = nullptr;
        for (const auto &[option, target] : flags)
            if (options && name == QLatin1String(option))
                flag = target;
        for (const auto &[option, target] : valued)
            if (options && name == QLatin1String(option))
                value = target;
        if (!flag && !value) {
            rest << argument;
            continue;
        }
        if (seen.contains(name))
            return error(QStringLiteral("%1 が２回指定されています。").arg(name));
        seen << name;
        if (flag) {
            if (equals >= 0)
                return error(QStringLiteral("「%1」は使えないオプションです。").arg(argument));
            *flag = true;
            continue;
        }
        std::optional<QString> given;
        if (equals >= 0)
            given = argument.mid(equals + 1);
        else if (i + 1 < arguments.size())
            given = arguments.at(++i);
        if (!given || given->isEmpty())
            return error(QStringLiteral("%1 の後に値を指定してください。").arg(name));
        *value = *given;
    }
    const bool hostKey = !args.acceptHostKey.isEmpty(), certificate = !args.acceptCertificate.isEmpty();
    if ((hostKey && !args.acceptHostKey.startsWith(QStringLiteral("SHA256:")))
        || (certificate && !args.acceptCertificate.startsWith(QStringLiteral("SHA256:"))))
        return error(QStringLiteral("指紋は「SHA256:」で始まる形で指定してください。"));
    if (!args.identity.isEmpty()) {
        if (!QFileInfo(args.identity).isFile())
            return error(QStringLiteral("鍵ファイル「%1」が見つかりません。").arg(args.identity));
        args.identity = QFileInfo(args.identity).absoluteFilePath();
    }
    auto made = parseMakeFor(publishCommand, rest);
    if (const auto *reply = std::get_if<Reply>(&made))
        return *reply;
    args.make = std::get<MakeArgs>(made);
    return args;
}

} // namespace cli
