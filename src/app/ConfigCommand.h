#pragma once

#include <QStringList>

// `relvane config get APP SECTION KEY`, `config set APP SECTION KEY VALUE [KEY VALUE]...`,
// `config password TERMINAL [PASSWORD]`, `config list [APP]`, `config keys [APP]`,
// `config import FILE` (a .reg export of the settings a Windows installation kept in the
// registry): edits the settings store without starting a terminal, and saves a key with what
// the settings panel does on saving it (the database of the program folder when a key needs
// it; `--home DIR` before the verb names that folder). args are the words after "config";
// returns the exit status.
int RunConfigCommand(const QStringList& args);
