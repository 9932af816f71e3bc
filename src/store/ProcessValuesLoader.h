#pragma once

#include <QString>

class Lookups;
class Output;
class SettingsStore;
class UtilityComponent;
struct ProcessValues;

// Fills the process values at start-up: the instance's identity from the host's line, the
// database it opened, then every switch, list and account value from the settings store,
// opcode.ini and the shared tables. Reads from the database that fail while it is unreachable
// leave their defaults (logged); the program stays up.
class ProcessValuesLoader {
  public:
    ProcessValuesLoader(ProcessValues& values, const SettingsStore& settings,
                        UtilityComponent& util, Lookups& lookups, Output& out);

    // The terminal's name before anything else, so that errors land in its own log.
    void Name(const QString& terminalName);
    // The database as opened, and the configuration flag read with it.
    void Database(const QString& password, const QString& name);
    // Raises when a settings file of the terminal is there but cannot be read or written.
    void LoadSettings(const QString& moduleName, const QString& terminalName, qint16 nodeNo);
    void LoadModulRules();
    // The merged terminals: those of this module whose merge value is 2, "3,5,9".
    QString CekAllRLV();

  private:
    // The account, the chat server and the session's switches.
    void LoadChatAccount();
    // Money, promo, re-routing, pending and queue switches.
    void LoadSwitches();
    // Priority levels, SN templates and the terminal lists of sender selection.
    void LoadRoutingLists();
    QString Own(const char* stem) const;
    QString Setting(const QString& app, const QString& section, const QString& key,
                    const QString& def) const;
    // A number setting read by the converter given; one out of the converter's range raises
    // RelvaneError naming the key and the value.
    template <typename Read>
    auto Number(Read read, const QString& app, const QString& section, const QString& key,
                const QString& def) const;
    template <typename T, typename Read>
    T Tolerant(const char* what, T fallback, Read read);

    ProcessValues& v_;
    const SettingsStore& settings_;
    UtilityComponent& util_;
    Lookups& lookups_;
    Output& out_;
};
