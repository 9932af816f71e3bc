#pragma once

#include <QStringList>

// `relvane monitor [--home DIR] [--listen ADDR:PORT] [--refresh SECONDS]`: receives the
// terminals' feed (RELVANE_MONITOR_HOST/_PORT, 127.0.0.1:8702 by default), reads the fleet's
// figures from the database of the program folder's Setting.ini, and serves them over HTTP
// (127.0.0.1:8780 by default). A listen address other than loopback needs a token
// (RELVANE_MONITOR_TOKEN, or the file named by RELVANE_MONITOR_TOKEN_FILE). Runs until
// SIGTERM or SIGINT; returns the exit status.
int RunMonitorCommand(const QStringList& args);
