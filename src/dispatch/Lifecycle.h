#pragma once

#include <QObject>
#include <QTimer>

class Core;

// Start-up, the housekeeping timers and shutdown of one terminal instance.
class Lifecycle : public QObject {
    Q_OBJECT
  public:
    explicit Lifecycle(Core& core, QObject* parent = nullptr);

    bool Form_Load(const QString& commandLine);
    void Form_Unload();

    void LoadSettings(const QString& moduleName, const QString& terminalName, qint16 nodeNo);
    QString CekAllRLV();
    void CatatSetLog(const QString& module, const QString& value, qint16 node);
    QString CekTutup();

    void tmSendKeAne_Timer();
    void Timer3_Timer();
    void tmClose_Timer();

    // "h:m:s:t" of the idle counter.
    static QString CounterText(int c);

  private:
    void End(int exitCode);
    QString Setting(const QString& app, const QString& section, const QString& key,
                    const QString& def) const;

    Core& core_;
    QTimer tmSendKeAne_, Timer3_, tmClose_;
    bool unloaded_ = false;
};
