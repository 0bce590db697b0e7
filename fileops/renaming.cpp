#include "fileops/renaming.h"

#include "fileops/fsname.h"
#include "textio/codepoints.h"
#include "textio/diskfile.h"
#include "textio/excerpt.h"
#include "textio/spaces.h"

#include <QHash>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace renaming {

QString serialName(const QString &base, const QString &digits, int position, const QString &oldName)
{
    const QString trimmed = spaces::trim(base);
    const qsizetype n = codepoints::count(trimmed);
    const QString stem = n < 5 ? trimmed + QString(5 - n, u'0') : codepoints::left(trimmed, 6).toString();
    const int width = digits == QLatin1String("3") ? 3 : 2;
    const qsizetype dot = oldName.indexOf(u'.');
    return stem + QStringLiteral("%1").arg(position, width, 10, QChar(u'0'))
           + (dot < 0 ? QString() : oldName.mid(dot));
}

QString lowerName(const QString &name)
{
    return name.toLower();
}

bool usableName(const QString &name)
{
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/') && !name.contains(QChar(0));
}

Plan plan(const std::vector<Move> &wanted, const QSet<QString> &taken)
{
    Plan p;
    QHash<QString, int> bySource;
    QHash<QString, int> byTarget;
    std::vector<int> movers;
    for (int i = 0; i < int(wanted.size()); ++i) {
        const Move &m = wanted[size_t(i)];
        if (m.from == m.to || bySource.contains(m.from))
            continue;
        if (!usableName(m.to)) {
            p.kept.push_back({m.from, EINVAL});
            continue;
        }
        if (byTarget.contains(m.to)) {
            p.kept.push_back({m.from, EEXIST});
            continue;
        }
        bySource.insert(m.from, i);
        byTarget.insert(m.to, i);
        movers.push_back(i);
    }

    std::vector<bool> placed(wanted.size(), false);
    // A chain starts at a file whose name nobody wants and ends at a name
    // nobody holds; it runs from its end, each rename freeing the name the
    // one before it needs.
    for (int start : movers) {
        if (byTarget.contains(wanted[size_t(start)].from))
            continue;
        std::vector<int> chain;
        for (int j = start;;) {
            chain.push_back(j);
            placed[size_t(j)] = true;
            const auto next = bySource.constFind(wanted[size_t(j)].to);
            if (next == bySource.cend())
                break;
            j = *next;
        }
        if (taken.contains(wanted[size_t(chain.back())].to)) {
            for (int j : chain)
                p.kept.push_back({wanted[size_t(j)].from, EEXIST});
            continue;
        }
        Group g;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            g.steps.push_back({wanted[size_t(*it)].from, wanted[size_t(*it)].to, *it});
        p.groups.push_back(std::move(g));
    }

    // What is left are rings: the first file steps aside, the others each
    // take the name just freed, and the first takes the last name freed.
    for (int first : movers) {
        if (placed[size_t(first)])
            continue;
        std::vector<int> ring;
        for (int j = first; !placed[size_t(j)]; j = bySource.value(wanted[size_t(j)].to)) {
            placed[size_t(j)] = true;
            ring.push_back(j);
        }
        QString aside;
        do
            aside = diskfile::temporaryName();
        while (taken.contains(aside) || byTarget.contains(aside));
        Group g;
        g.ring = true;
        g.steps.push_back({wanted[size_t(first)].from, aside, first});
        for (auto it = ring.rbegin(); it + 1 != ring.rend(); ++it)
            g.steps.push_back({wanted[size_t(*it)].from, wanted[size_t(*it)].to, *it});
        g.steps.push_back({aside, wanted[size_t(first)].to, first});
        p.groups.push_back(std::move(g));
    }
    return p;
}

namespace {

// The files a group renames: a ring's temporary name is one file's twice.
int filesOf(const Group &g)
{
    return int(g.ring ? g.steps.size() - 1 : g.steps.size());
}

} // namespace

Outcome run(const QString &dir, const Plan &plan, const fileops::Progress &progress, const std::atomic_bool *cancel)
{
    Outcome out;
    out.kept = plan.kept;
    int total = 0;
    for (const Group &g : plan.groups)
        total += filesOf(g);
    int dealt = 0;
    auto renameIn = [&dir](const QString &from, const QString &to, int *error) {
        return safefile::rename(fsname::join(dir, from), fsname::join(dir, to), error);
    };
    for (const Group &g : plan.groups) {
        if (progress)
            progress(dealt, total);
        if (cancel && cancel->load()) {
            out.untried = total - dealt;
            break;
        }
        dealt += filesOf(g);
        const size_t count = g.steps.size();
        size_t done = 0;
        int error = 0;
        while (done < count && renameIn(g.steps[done].from, g.steps[done].to, &error))
            ++done;
        if (done == count) {
            out.renamed += filesOf(g);
            continue;
        }
        if (!g.ring) {
            // The files after the failure were waiting for the name it holds.
            out.renamed += int(done);
            for (size_t k = done; k < count; ++k)
                out.kept.push_back({g.steps[k].from, k == done ? error : EEXIST});
            continue;
        }
        // A ring is put back, last rename first.
        size_t left = done;
        int ignored = 0;
        while (left > 0 && renameIn(g.steps[left - 1].to, g.steps[left - 1].from, &ignored))
            --left;
        const Step &aside = g.steps.front();
        // Renames that could not be undone have given those files their new names.
        if (left > 0) {
            out.renamed += int(left - 1);
            out.stranded.push_back({aside.from, aside.to});
        } else {
            out.kept.push_back({aside.from, done == 0 || done == count - 1 ? error : EEXIST});
        }
        for (size_t k = std::max<size_t>(left, 1); k + 1 < count; ++k)
            out.kept.push_back({g.steps[k].from, k == done ? error : EEXIST});
    }
    if (progress && out.untried == 0)
        progress(total, total);
    return out;
}

namespace {

// linkedNames, given the folder's entries as listed.
QStringList linkedAmong(const QString &dir, const QSet<QString> &entries, const QStringList &names)
{
    const int fd = ::open(fsname::encode(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    // Where each link of the folder leads in the end, as device and inode.
    QSet<std::pair<dev_t, ino_t>> targets;
    for (const QString &entry : entries) {
        const QByteArray raw = fsname::encode(entry);
        struct stat st;
        if (fstatat(fd, raw.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)
            && fstatat(fd, raw.constData(), &st, 0) == 0)
            targets.insert({st.st_dev, st.st_ino});
    }
    QStringList out;
    for (const QString &name : names) {
        struct stat st;
        if (fstatat(fd, fsname::encode(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
            && (S_ISLNK(st.st_mode) || targets.contains({st.st_dev, st.st_ino})))
            out.append(name);
    }
    ::close(fd);
    return out;
}

} // namespace

QStringList linkedNames(const QString &dir, const QStringList &names)
{
    return linkedAmong(dir, safefile::entries(dir), names);
}

Outcome renameAll(const QString &dir, const std::vector<Move> &wanted, const fileops::Progress &progress,
    const std::atomic_bool *cancel)
{
    QStringList sources;
    for (const Move &m : wanted)
        if (m.from != m.to)
            sources.append(m.from);
    const QSet<QString> taken = safefile::entries(dir);
    const QStringList linked = linkedAmong(dir, taken, sources);
    const QSet<QString> left(linked.begin(), linked.end());
    std::vector<Move> movers;
    for (const Move &m : wanted)
        if (!left.contains(m.from))
            movers.push_back(m);
    Outcome out = run(dir, plan(movers, taken), progress, cancel);
    out.linked = linked;
    QHash<QString, int> position;
    for (int i = 0; i < int(wanted.size()); ++i)
        position.insert(wanted[size_t(i)].from, i);
    std::stable_sort(out.kept.begin(), out.kept.end(), [&](const safefile::Failure &a, const safefile::Failure &b) {
        return position.value(a.name) < position.value(b.name);
    });
    return out;
}

QString report(const QString &headline, const Outcome &outcome, const QString &work)
{
    QStringList parts;
    if (outcome.untried > 0)
        parts.append(QStringLiteral("%1を中止しました。\n%2 個のﾌｧｲﾙの名前を変え、残りの %3 個は元の名前のままです。")
                         .arg(work)
                         .arg(outcome.renamed)
                         .arg(outcome.untried));
    if (const QString failed = safefile::report(headline, outcome.kept); !failed.isEmpty())
        parts.append(failed);
    QStringList lines;
    for (const Move &m : outcome.stranded)
        lines.append(QStringLiteral("%1 → %2").arg(m.from, m.to));
    for (const auto &[title, names] : {std::pair{QStringLiteral("次のﾌｧｲﾙは仮の名前になっています。"), lines},
             {QStringLiteral("次のﾌｧｲﾙはシンボリックリンクか、そのリンク先のため、元の名前のままです。"), outcome.linked}}) {
        if (names.isEmpty())
            continue;
        parts.append(title + u'\n' + excerpt::firstFew(names, 20, u'\n', QStringLiteral("ほか%1個")));
    }
    return parts.join(QStringLiteral("\n\n"));
}

} // namespace renaming
