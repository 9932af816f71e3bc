#pragma once

#include <QString>

#include "store/Database.h"

class UtilityComponent;

// Setting.ini [Database] "Driver", "Server", "Database", "UID" and the optional "Port"; the
// password is the one the host put on the command line.
DbTarget ReadDatabaseSettings(const UtilityComponent& util, const QString& password);

// Opens the one connection from Setting.ini. A failure is logged to the "db" log and the
// program goes on with a closed connection (it is tried again before the next statement).
bool ConnectDatabase(const UtilityComponent& util, Database& db, const QString& password);
