// What was sent to which site and folder, so that a run sends only what
// changed. Kept under $XDG_STATE_HOME/kamerio/published/, never in the
// album folder, so it is never sent itself. Each file sent is noted as soon
// as it is in place on the server, so a killed run is taken up where it
// stopped; a run ends by rewriting the ledger whole.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace publish {

// A file as it was sent: its size and time on the disk then, and its content.
struct Record
{
    qint64 size = 0;
    qint64 mtime = 0; // nanoseconds
    QByteArray sha256; // hex
    bool operator==(const Record &) const = default;
};

// Relative path in the album folder ("/" separated) to its record.
using Records = QHash<QString, Record>;

// $XDG_STATE_HOME/kamerio/published, with the usual fallback.
QString stateFolder();

// A ledger's bytes, and back. parse refuses what is not a ledger of key or
// holds more than a ledger can; a line cut short by a killed run is skipped.
QByteArray format(const QString &key, const Records &records);
std::optional<Records> parse(QByteArrayView bytes, const QString &key);

class Ledger
{
public:
    // The ledger of key (a site and its remote folder), empty when none.
    explicit Ledger(const QString &key);
    ~Ledger();
    Ledger(const Ledger &) = delete;
    Ledger &operator=(const Ledger &) = delete;

    const Records &records() const { return records_; }
    // Notes a file in place on the server, or one gone from it.
    bool note(const QString &path, const Record &record, QString *error);
    bool forget(const QString &path, QString *error);
    // Rewrites the ledger in one step with what it holds now.
    bool save(QString *error);

private:
    bool append(const QByteArray &line, QString *error);

    QString key_;
    QString path_;
    Records records_;
    int fd_ = -1;
};

// The subfolder of the site's folder that an album folder goes into: the one
// the user named for it, else the folder's own name.
QString albumSubfolder(const QString &albumFolder);
// Remembers name for albumFolder; the folder's own name forgets any other.
bool rememberSubfolder(const QString &albumFolder, const QString &name, QString *error);

} // namespace publish
