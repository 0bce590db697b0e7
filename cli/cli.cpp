#include "cli/cli.h"

#include "fileops/fsname.h"
#include "html/about.h"
#include "web/edges.h"

#include <QDir>

#include <algorithm>

#include <sys/stat.h>

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

Reply makeError(const QString &message)
{
    return usageError(QStringLiteral("kamerio make"), message);
}

// An absolute path that keeps the bytes of names that are not UTF-8, which
// Qt's own path functions would replace.
QString absolute(const QString &path)
{
    return QDir::cleanPath(path.startsWith(u'/') ? path : fsname::join(fsname::currentDir(), path));
}

bool isFolder(const QString &path)
{
    struct stat st;
    return stat(fsname::encode(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
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
                          "  kamerio --help       この使い方を表示します。\n"
                          "  kamerio --version    バージョンを表示します。\n"
                          "\n"
                          "make の終了コード: 0 すべてのページを作成、1 作成できなかったページがある、\n"
                          "2 引数の誤りか、プロジェクトファイルを読めない。\n");
}

Request parse(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return OpenWindow{};
    const QString &first = arguments.first();
    if (first == u"make") {
        auto made = parseMake(arguments.mid(1));
        if (const auto *args = std::get_if<MakeArgs>(&made))
            return *args;
        return std::get<Reply>(made);
    }
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

std::variant<MakeArgs, Reply> parseMake(const QStringList &arguments)
{
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
                if (!isFolder(*value))
                    return makeError(QStringLiteral("出力先のフォルダ「%1」が見つかりません。").arg(*value));
                made.outDir = absolute(*value);
            }
        }
    }
    positional.removeAll(QString());
    if (positional.isEmpty())
        return makeError(QStringLiteral("プロジェクトファイルを指定してください。"));
    if (positional.size() > 1)
        return makeError(QStringLiteral("プロジェクトファイルは１つだけ指定してください（%1）。")
                             .arg(positional.join(QStringLiteral("、"))));
    made.project = absolute(positional.first());
    if (made.outDir.isEmpty())
        made.outDir = made.project.left(qMax(made.project.lastIndexOf(u'/'), 1));
    return made;
}

} // namespace cli
