// Passwords of the sites, in the desktop's keyring (Secret Service) and
// nowhere else: where no keyring answers, the caller asks each time.
#pragma once

#include "publish/transport.h"

#include <QString>

namespace keyring {

enum class Answer { Found, Absent, NoKeyring };

struct Read
{
    Answer answer = Answer::NoKeyring;
    QString password;
};

// What a site's password is filed under: never the password itself.
QString account(const publish::Site &site);

// Each waits for the keyring's answer; a Qt event loop must be able to run.
Read read(const QString &account);
// false with *error when no keyring took it.
bool write(const QString &account, const QString &password, QString *error);
void forget(const QString &account);

} // namespace keyring
