// A publishing run over one transport: connect (asking about an identity
// seen for the first time), clear what an interrupted run left, send the
// plan's files in its order, noting each in the ledger, and remove stale
// files only when asked and only when every transfer went through.
#pragma once

#include "publish/plan.h"
#include "publish/transport.h"

#include <QElapsedTimer>

#include <atomic>
#include <functional>

namespace publish {

struct Progress
{
    int files = 0;
    int totalFiles = 0;
    qint64 bytes = 0;
    qint64 totalBytes = 0;
    qint64 elapsedMs = 0;
    // Seconds left at the pace so far; -1 before there is a pace.
    qint64 secondsLeft() const;
};

struct Events
{
    // An identity seen for the first time: true when the user accepts it.
    std::function<bool(const Identity &identity)> accept;
    std::function<void(const Progress &progress)> progress;
    std::function<void(const QString &path)> sent;
    std::function<void(const QString &path)> removed;
};

struct Result
{
    Status status; // how the connection went; Ok when it was made and kept
    QStringList sent;
    QStringList removed;
    std::vector<std::pair<QString, QString>> failed; // path and why
    bool cancelled = false;
    bool atomic = true; // the server replaces files in one step
    bool staleKept = false; // removal was asked for but a transfer failed
};

struct Retry
{
    int times = 3;
    int pauseMs = 2000;
};

// A new connection each time: a dropped one is not opened again.
using Connector = std::function<std::unique_ptr<Transport>()>;

Result run(const Connector &connector, Trust &trust, Ledger &ledger, const QString &localFolder, const QByteArray &remote,
    const Plan &plan, bool removeStale, const Events &events, const std::atomic_bool *cancel, Retry retry = {});

} // namespace publish
