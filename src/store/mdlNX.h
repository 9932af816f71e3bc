#pragma once

#include <QObject>
#include <QString>

#include "store/Context.h"

// The small shared lookups: reseller phone, name, row and deposit, configuration flags, the
// failure-keyword test of re-routing, the terminal lists of a module, a pause that keeps the
// event loop running, the forwarder to the monitor, and the message-job insert.
class mdlNX : public QObject {
    Q_OBJECT
  public:
    explicit mdlNX(Context ctx, QObject* parent = nullptr);

    QString GetHpReseller(const QString& kodeReseller);
    QString GetNamaReseller(const QString& kodeReseller);  // "NC" when unknown
    QString GetResellerField(const QString& kodeReseller, quint8 wantName);
    qint32 GetDeposit(const QString& kodeReseller);  // 0 when unknown
    void SetDeposit(const QString& kodeReseller, qint32 amount);
    quint8 GetConfigFlag(const QString& kode);  // 0 without a level 11 row

    // Does a failure text (already lower-case) allow re-routing? Remembers the keyword.
    bool CekPintar2(const QString& text, qint32 terminal);

    QString TerminalsByModul(const QString& modul);  // ";3;7;", ";" when none
    QString DischargeTerminals();                    // "4;9", "0" when none

    // Waits n seconds while timers and chat events go on.
    static void WaitSeconds(qint32& seconds);

    void KirimMonitor(const QString& text);

    // Queues a plain message for a reseller (or the administrator) as a job for the host to
    // deliver; the terminal may be replaced by the sender selection.
    QVariant QueueAdminJob(const QString& kodeReseller, const QString& pesan, qint16& terminal);

  signals:
    void MonitorRecord(const QString& text);

  private:
    Context ctx_;
};
