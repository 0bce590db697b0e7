// The command line. Arguments are read before any window or display exists,
// so that --help, --version and a mistyped command work on a machine with
// no desktop, and a mistake never opens the window.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace cli {

// Exit status of a command line that could not be understood.
constexpr int usageStatus = 2;

// No argument at all: the window, as started from the desktop.
struct OpenWindow
{ };

// What to print and the exit status, for a run that ends without a window.
struct Reply
{
    QString out;
    QString err;
    int status = 0;
    bool operator==(const Reply &) const = default;
};

// kamerio make PROJECT [--split] [--width N] [--web[=EDGE]] [--out DIR]
struct MakeArgs
{
    QString project; // absolute
    QString outDir; // absolute; the folder that holds the project unless --out is given
    bool split = false;
    std::optional<int> width; // the width box keeps its start value unless --width is given
    std::optional<int> webEdge; // the longer side of web-size copies, made only with --web
    bool operator==(const MakeArgs &) const = default;
};

// kamerio publish PROJECT [make's options] [--site URL] [--url URL]
// [--identity KEYFILE] [--accept-host-key SHA256:…] [--accept-certificate
// SHA256:…] [--dry-run] [--remove-stale] [--resend-all] [--password-stdin]
struct PublishArgs
{
    MakeArgs make;
    QString site; // empty: the stored site
    QString url;
    QString identity; // absolute
    QString acceptHostKey;
    QString acceptCertificate;
    bool dryRun = false;
    bool removeStale = false;
    bool resendAll = false;
    bool passwordStdin = false;
    bool operator==(const PublishArgs &) const = default;
};

using Request = std::variant<OpenWindow, Reply, MakeArgs, PublishArgs>;

// The arguments after the program's name.
Request parse(const QStringList &arguments);

// The arguments after "make"; a mistake gives its usage error.
std::variant<MakeArgs, Reply> parseMake(const QStringList &arguments);

// The arguments after "publish".
std::variant<PublishArgs, Reply> parsePublish(const QStringList &arguments);

QString usage();

} // namespace cli
