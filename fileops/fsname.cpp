#include "fileops/fsname.h"

#include "textio/codepoints.h"

#include <QCollator>
#include <QLocale>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <numeric>
#include <vector>

namespace fsname {

QString decode(QByteArrayView raw)
{
    QString out;
    out.reserve(raw.size());
    const auto *p = reinterpret_cast<const uchar *>(raw.data());
    const qsizetype n = raw.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar b = p[i];
        int len = 0;
        char32_t c = 0;
        if (b < 0x80) { len = 1; c = b; }
        else if ((b & 0xE0) == 0xC0) { len = 2; c = b & 0x1F; }
        else if ((b & 0xF0) == 0xE0) { len = 3; c = b & 0x0F; }
        else if ((b & 0xF8) == 0xF0) { len = 4; c = b & 0x07; }
        bool ok = len > 0 && i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr char32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (c < least[len] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF))
            ok = false;
        if (!ok) {
            out.append(QChar(char16_t(0xDC00 | b)));
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(c)));
            out.append(QChar(QChar::lowSurrogate(c)));
        } else {
            out.append(QChar(char16_t(c)));
        }
        i += len;
    }
    return out;
}

QByteArray encode(const QString &name)
{
    QByteArray out;
    out.reserve(name.size() * 3);
    qsizetype start = 0;
    for (const codepoints::CodePoint c : codepoints::walk(name)) {
        if (c.value < 0xDC80 || c.value > 0xDCFF)
            continue;
        out += QStringView(name).mid(start, c.at - start).toUtf8();
        out += char(c.value & 0xFF);
        start = c.at + 1;
    }
    out += QStringView(name).mid(start).toUtf8();
    return out;
}

bool isRegularFile(const QString &path)
{
    struct stat st;
    return ::stat(encode(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isPlain(const QString &name)
{
    // A stray byte is a surrogate without its other half.
    return name.isValidUtf16();
}

QList<qsizetype> naturalOrder(const QStringList &names)
{
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Sort keys make a folder of tens of thousands of names cheap to order.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(names.size()));
    for (const QString &name : names)
        keys.push_back(collator.sortKey(name));
    QList<qsizetype> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return c != 0 ? c < 0 : names[a] < names[b];
    });
    return order;
}

void sortNatural(QStringList &names)
{
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype i : naturalOrder(names))
        sorted.append(names[i]);
    names = std::move(sorted);
}

namespace {

QStringList list(const QString &dir, bool wantDirs)
{
    QStringList names;
    DIR *d = opendir(encode(dir).constData());
    if (!d)
        return names;
    const int fd = dirfd(d);
    while (dirent *e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        bool isDir = e->d_type == DT_DIR;
        bool isReg = e->d_type == DT_REG;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st;
            if (fstatat(fd, e->d_name, &st, 0) != 0)
                continue;
            isDir = S_ISDIR(st.st_mode);
            isReg = S_ISREG(st.st_mode);
        }
        if (wantDirs ? isDir : isReg)
            names.append(decode(QByteArrayView(e->d_name)));
    }
    closedir(d);
    sortNatural(names);
    return names;
}

} // namespace

QStringList listFiles(const QString &dir)
{
    return list(dir, false);
}

QStringList listDirs(const QString &dir)
{
    return list(dir, true);
}

QString join(const QString &dir, const QString &name)
{
    return dir.endsWith(u'/') ? dir + name : dir + u'/' + name;
}

QString currentDir()
{
    std::vector<char> buf(PATH_MAX + 1);
    if (!getcwd(buf.data(), buf.size()))
        return QString();
    return decode(QByteArrayView(buf.data()));
}

bool setCurrentDir(const QString &path)
{
    return !path.isEmpty() && chdir(encode(path).constData()) == 0;
}

} // namespace fsname
