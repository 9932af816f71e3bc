#pragma once

#include <QString>

#include "store/Database.h"

class UtilityComponent;

// The database password. The host puts it in the fourth field of its line; when that field is
// empty or missing it is read from the file named by RELVANE_DB_PASSWORD_FILE, so that it need
// not stand among the process's arguments, which every user of the machine can read. The
// file's content is the password, without one trailing line break (LF or CR LF); nothing else
// is trimmed. Without the variable the empty field is the password (a database user without
// one), as it always was. Throws RelvaneError when the named file cannot be read.
QString DatabasePassword(const QString& commandLineField);

// Setting.ini [Database] "Driver", "Server", "Database", "UID" and the optional "Port" and
// "Timeout" (seconds, 1 to 3600; 5 when absent), with the password given. Throws RelvaneError
// naming the file when it is missing or has no [Database] section, and the key and the value
// when the timeout is not such a number.
DbTarget ReadDatabaseSettings(const UtilityComponent& util, const QString& password);

// Opens the one connection from Setting.ini. A failure is logged to the "db" log and the
// program goes on with a closed connection (it is tried again before the next statement).
bool ConnectDatabase(const UtilityComponent& util, Database& db, const QString& password);
