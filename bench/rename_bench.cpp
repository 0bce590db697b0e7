// Serial renaming and lower-casing a folder of 10 000 files: plan and run,
// timed on a fresh temporary folder. Prints milliseconds per pass.
#include "fileops/fsname.h"
#include "fileops/renaming.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int fileCount = 10000;

double timed(const char *label, const QString &dir, const std::vector<renaming::Move> &wanted)
{
    QElapsedTimer t;
    t.start();
    const renaming::Outcome o = renaming::renameAll(dir, wanted);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    std::printf("%-44s %6d renamed %5zu kept %9.1f ms\n", label, o.renamed, o.kept.size(), ms);
    return ms;
}

std::vector<renaming::Move> serial(const QString &dir, const QString &base, const QString &digits)
{
    const QStringList names = fsname::listFiles(dir);
    std::vector<renaming::Move> out;
    out.reserve(size_t(names.size()));
    for (int i = 0; i < names.size(); ++i)
        out.push_back({names[i], renaming::serialName(base, digits, i + 1, names[i])});
    return out;
}

std::vector<renaming::Move> lower(const QString &dir)
{
    std::vector<renaming::Move> out;
    for (const QString &n : fsname::listFiles(dir))
        out.push_back({n, renaming::lowerName(n)});
    return out;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString d = dir.path();
    for (int i = 0; i < fileCount; ++i) {
        QFile f(d + QStringLiteral("/DSC%1.JPG").arg(i, 5, 10, QChar(u'0')));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
    }
    std::printf("folder of %d files in %s\n", fileCount, qPrintable(d));
    timed("serial renaming (PHOTO, 3 digits)", d, serial(d, QStringLiteral("PHOTO"), QStringLiteral("3")));
    timed("lower-casing", d, lower(d));
    timed("serial renaming again, same settings", d, serial(d, QStringLiteral("photo"), QStringLiteral("3")));
    // One new file sorting first: every file takes the next file's name.
    QFile first(d + QStringLiteral("/photo000.jpg"));
    if (!first.open(QIODevice::WriteOnly))
        return 1;
    first.close();
    timed("serial renaming, every name shifted by one", d, serial(d, QStringLiteral("photo"), QStringLiteral("3")));
    return 0;
}
