// 公開する, shared by the window and kamerio publish: the pages written as
// 詳細 html 作成 writes them, the plan of what to send, and the words that
// tell the user how it went.
#pragma once

#include "html/engine.h"
#include "publish/plan.h"
#include "publish/run.h"

namespace publish {

struct Job
{
    album::Album album;
    QString folder; // the album folder
    engine::Options options; // as for 詳細 html 作成
    Site site;
    QString subfolder;
    bool resendAll = false;
};

struct Prepared
{
    engine::Report report;
    Plan plan;
    QString firstPage; // relative to the album folder; empty when no page was written
};

// Writes the pages (and web copies), then plans against what ledger holds.
Prepared prepare(const Job &job, const Records &ledger, const engine::Progress &progress = {},
    const std::atomic_bool *cancel = nullptr);

// Why the pages cannot go up as they are; empty when they can.
QString pagesProblem(const Prepared &prepared);

// The question put on first contact, with the fingerprint to compare.
QString identityQuestion(const Identity &identity);
// What the user is told when the server is not the one that was accepted.
QString changedIdentity(const Identity &identity);
// The message of a connection that was not made or was lost.
QString connectionMessage(const Status &status, const Site &site);

// The message that ends a run: what went up, what did not, and the address
// of the album's first page.
QString closingMessage(const Job &job, const Prepared &prepared, const Result &result);
QString firstPageAddress(const Job &job, const Prepared &prepared);

// kamerio publish's exit status for a run that connected or tried to.
int exitStatus(const Result &result);

} // namespace publish
