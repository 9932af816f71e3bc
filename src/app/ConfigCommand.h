#pragma once

#include <QStringList>

// `relvane config get APP SECTION KEY`, `config set APP SECTION KEY VALUE`,
// `config password TERMINAL PASSWORD`, `config list [APP]`, `config import FILE` (a .reg export
// of the settings a Windows installation kept in the registry): edits the settings store
// without starting a terminal. args are the words after "config"; returns the exit status.
int RunConfigCommand(const QStringList& args);
