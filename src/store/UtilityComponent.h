#pragma once

#include <QObject>
#include <QString>

class SettingsStore;

// The helper object every part of the program uses: log files, INI files, reading the SN and
// the stock figure from a supplier reply, a random index, the reversible text encoding shared
// with the booster program, the source terminal of a transaction code, the debug monitor and
// regular expressions. One instance, created first at start-up.
class UtilityComponent : public QObject {
    Q_OBJECT
  public:
    // programFolder holds Setting.ini, opcode.ini and the Log folder; the reply markers of
    // each terminal come from the settings store.
    UtilityComponent(QString programFolder, const SettingsStore* settings,
                     QObject* parent = nullptr);

    const QString& ProgramFolder() const { return programFolder_; }
    QString LogFolder() const;
    QString ProgramFile(const QString& name) const;

    // Log files live in the program's Log folder as "<name>.log"; each call writes one line,
    // "yyyy-mm-dd hh:mm:ss " and the text. Neither ever raises.
    void CreateLog(const QString& logName) noexcept;
    void WriteLog(const QString& logName, const QString& text) noexcept;

    QString ReadIni(const QString& path, const QString& section, const QString& key) const;
    void WriteIni(const QString& path, const QString& section, const QString& key,
                  const QString& value) const;

    // Stock figure between the terminal's stock markers; empty when absent.
    QString StockFromReply(const QString& reply, qint16 terminal) const;
    // Serial number by the terminal's marker pairs, else by the built-in "sn" rule.
    QString SnFromReply(const QString& reply, qint16 terminal) const;

    // A uniform whole number from 0 to largest; 0 when largest is not above 0.
    int RandomIndex(int largest) const;

    static QString Decode(const QString& text, const QString& key);
    static QString Encode(const QString& text, const QString& key);

    // The terminal an order came from: the third "#" field of the code, 0 when there is none.
    static int SourceTerminal(const QString& transactionCode);

    // Hands a record to the debug receiver: the "debug" log and the window's log view.
    void PostToWindow(const QString& text);

    // Case-insensitive; an invalid pattern raises RelvaneError.
    static QString RegexFirstMatch(const QString& pattern, const QString& text);
    static QString RegexCapture(const QString& pattern, const QString& text);

  signals:
    void Posted(const QString& text);

  private:
    QString Setting(const QString& key, const QString& defaultValue) const;

    QString programFolder_;
    const SettingsStore* settings_;
};
