#pragma once

#include <QString>
#include <exception>

#include "store/Errors.h"
#include "store/ProcessValues.h"
#include "store/UtilityComponent.h"

class Database;
class SettingsStore;

// The long-lived objects every routine works with, owned by the running terminal.
struct Context {
    Database& db;
    UtilityComponent& util;
    const SettingsStore& settings;
    const ProcessValues& values;  // read-only: the loader and the window's controls write them

    // One line in the terminal's own log.
    void Log(const QString& text) const { util.WriteLog(values.LogName(), text); }

    // One line in the terminal's own log: "<routine> <context><description>".
    void LogError(const QString& routineAndContext, const std::exception& e) const {
        util.WriteLog(values.TerminalName, routineAndContext + Describe(e));
    }
};
