#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "store/Context.h"

// The small shared lookups: reseller phone, name, row and deposit, configuration flags, the
// failure-keyword test of re-routing, the terminal lists of a module, a pause that keeps the
// event loop running, and the forwarder to the monitor.
class Lookups : public QObject {
    Q_OBJECT
  public:
    explicit Lookups(Context ctx, QObject* parent = nullptr);

    QString GetHpReseller(const QString& kodeReseller);
    QString GetNamaReseller(const QString& kodeReseller);  // "NC" when unknown
    QString GetResellerField(const QString& kodeReseller, quint8 wantName);
    qint32 GetDeposit(const QString& kodeReseller);  // 0 when unknown
    void SetDeposit(const QString& kodeReseller, qint32 amount);
    quint8 GetConfigFlag(const QString& kode);  // 0 without a level 11 row

    // The failure keyword (lower-case) the text (already lower-case) holds, which allows
    // re-routing; none when it holds none. An empty list has no keywords; an empty item of a
    // list matches every text, and is what is returned then.
    std::optional<QString> CekPintar2(const QString& text, qint32 terminal);

    QString TerminalsByModul(const QString& modul);  // ";3;7;", ";" when none
    QString DischargeTerminals();                    // "4;9", "0" when none

    // Waits n seconds while timers and chat events go on.
    static void WaitSeconds(qint32& seconds);

    void KirimMonitor(const QString& text);

    // Table terminal as the instance sees it at start-up and at login.
    // The terminals of this module, in the table's order.
    QStringList RelvaneTerminals();
    // The merged terminals switched on (status '1') for this module.
    QList<qint16> ActiveTerminals(const QString& mergedList);
    // What the host asks of the running terminal, in one reading of the terminal table: "NC"
    // when the terminal's own row says so, else terminal 0's group code ("NC" closes every
    // instance), empty without that row.
    QString CloseMark(qint16 terminal);

    // Whether an account (bare, lower-case) is a product's chat target on this terminal or
    // the terminals merged with it.
    bool IsChatTarget(const QString& account);
    // The supplier kind written into every product row of a terminal.
    void SetSupplierMethod(const QString& code, qint16 terminal);

  signals:
    void MonitorRecord(const QString& text);

  private:
    Context ctx_;
};
