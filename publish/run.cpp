#include "publish/run.h"

#include "fileops/fsname.h"

#include <QSet>
#include <QThread>

#include <set>

namespace publish {
namespace {

Status connect(std::unique_ptr<Transport> &transport, const Connector &connector, Trust &trust, const Events &events)
{
    transport = connector();
    Status s = transport->open();
    if (s.outcome != Outcome::UnknownIdentity || !s.identity || !events.accept || !events.accept(*s.identity))
        return s;
    QString reason;
    if (!trust.accept(*s.identity, &reason))
        return Status{Outcome::Failed, reason, s.identity};
    transport = connector();
    return transport->open();
}

// Waits in small steps, so that a cancel is heard within a second.
bool pause(int ms, const std::atomic_bool *cancel)
{
    for (int waited = 0; waited < ms; waited += 100) {
        if (cancel && cancel->load())
            return false;
        QThread::msleep(100);
    }
    return !(cancel && cancel->load());
}

QByteArray remotePath(const QByteArray &remote, const QString &path)
{
    return remote + '/' + fsname::encode(path);
}

QByteArray folderOf(const QByteArray &path)
{
    return path.left(path.lastIndexOf('/'));
}

} // namespace

qint64 Progress::secondsLeft() const
{
    if (bytes <= 0 || elapsedMs < 1000)
        return -1;
    return (totalBytes - bytes) * elapsedMs / bytes / 1000;
}

Result run(const Connector &connector, Trust &trust, Ledger &ledger, const QString &localFolder,
    const QByteArray &remote, const Plan &plan, bool removeStale, const Events &events, const std::atomic_bool *cancel,
    Retry retry)
{
    Result r;
    QString reason;
    // Nothing to send and nothing to remove: no connection is needed.
    if (plan.steps.empty() && !(removeStale && !plan.stale.isEmpty())) {
        for (const auto &[path, record] : plan.touched)
            if (!ledger.note(path, record, &reason))
                r.failed.emplace_back(path, reason);
        if (!plan.touched.empty() && !ledger.save(&reason))
            r.failed.emplace_back(QString(), reason);
        return r;
    }
    std::unique_ptr<Transport> transport;
    r.status = connect(transport, connector, trust, events);
    if (!r.status.ok())
        return r;
    r.atomic = transport->atomicReplace();
    QElapsedTimer clock;
    clock.start();
    Progress progress{0, int(plan.steps.size()), 0, plan.bytes, 0};
    const auto tell = [&](qint64 current) {
        if (!events.progress)
            return;
        Progress now = progress;
        now.bytes += current;
        now.elapsedMs = clock.elapsed();
        events.progress(now);
    };
    for (const auto &[path, record] : plan.touched)
        if (!ledger.note(path, record, &reason))
            r.failed.emplace_back(path, reason);

    // Folders first (parents before children), each cleared of the
    // temporaries an interrupted run may have left there.
    std::set<QByteArray> folders{remote};
    for (const Step &step : plan.steps)
        folders.insert(folderOf(remotePath(remote, step.path)));
    for (auto it = ledger.records().cbegin(); it != ledger.records().cend(); ++it)
        folders.insert(folderOf(remotePath(remote, it.key())));
    const QSet<QByteArray> needed = [&] {
        QSet<QByteArray> out{remote};
        for (const Step &step : plan.steps)
            out.insert(folderOf(remotePath(remote, step.path)));
        return out;
    }();
    for (const QByteArray &folder : folders) {
        if (needed.contains(folder)) {
            const Status made = transport->makeFolder(folder);
            if (made.outcome == Outcome::NoConnection || made.outcome == Outcome::LoginRefused) {
                r.status = made;
                return r;
            }
        }
        transport->removeLeftovers(folder);
    }

    std::optional<QString> lost; // why the connection was given up
    for (const Step &step : plan.steps) {
        if (lost) {
            r.failed.emplace_back(step.path, *lost);
            continue;
        }
        if (cancel && cancel->load()) {
            r.cancelled = true;
            break;
        }
        const QByteArray local = fsname::encode(fsname::join(localFolder, step.path));
        for (int attempt = 0;; ++attempt) {
            const Status s = transport->put(local, remotePath(remote, step.path), tell, cancel);
            if (s.ok()) {
                if (!ledger.note(step.path, step.record, &reason))
                    r.failed.emplace_back(step.path, reason);
                r.sent.append(step.path);
                if (events.sent)
                    events.sent(step.path);
                break;
            }
            if (s.outcome == Outcome::Cancelled) {
                r.cancelled = true;
                break;
            }
            if (s.outcome != Outcome::NoConnection) {
                r.failed.emplace_back(step.path, s.reason);
                break;
            }
            // A dropped connection: a few more tries after a pause.
            Status again = s;
            while (attempt < retry.times && again.outcome == Outcome::NoConnection) {
                ++attempt;
                if (!pause(retry.pauseMs, cancel))
                    break;
                again = connect(transport, connector, trust, events);
            }
            if (cancel && cancel->load()) {
                r.cancelled = true;
                break;
            }
            if (again.ok())
                continue;
            if (again.outcome == Outcome::ChangedIdentity || again.outcome == Outcome::UnknownIdentity
                || again.outcome == Outcome::LoginRefused) {
                r.status = again;
                lost = again.reason;
            } else {
                lost = again.reason.isEmpty() ? s.reason : again.reason;
            }
            r.failed.emplace_back(step.path, *lost);
            break;
        }
        if (r.cancelled)
            break;
        ++progress.files;
        progress.bytes += step.record.size;
        tell(0);
    }

    if (removeStale && !plan.stale.isEmpty()) {
        if (!r.failed.empty() || r.cancelled || lost) {
            r.staleKept = true;
        } else {
            for (const QString &path : plan.stale) {
                if (cancel && cancel->load()) {
                    r.cancelled = true;
                    break;
                }
                const Status s = transport->remove(remotePath(remote, path));
                if (!s.ok()) {
                    r.failed.emplace_back(path, s.reason);
                    continue;
                }
                ledger.forget(path, &reason);
                r.removed.append(path);
                if (events.removed)
                    events.removed(path);
            }
        }
    }
    if (!ledger.save(&reason))
        r.failed.emplace_back(QString(), reason);
    return r;
}

} // namespace publish
