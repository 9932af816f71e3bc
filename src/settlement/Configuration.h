#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "dispatch/Job.h"
#include "ledger/ResellerRecord.h"
#include "ledger/TransaksiRow.h"
#include "store/Context.h"

// The transaction-store operations shared by dispatch, settlement and the ledger. Declared
// here once; each operation is implemented in the folder of the subsystem it belongs to.
class Configuration : public QObject {
    Q_OBJECT
  public:
    explicit Configuration(Context ctx, QObject* parent = nullptr);

    // ---- job queue and message tables (dispatch/JobQueue.cpp)
    // Today's oldest job for this terminal (or the merged terminals), as a ";;" record; the
    // empty-queue record when there is none.
    QString GetQueue(qint16 terminal);
    std::optional<Job> FetchJob(qint16 terminal);
    void DelQueue(qint64 id);
    void InsertToOutbox(const QString& tujuan, const QString& pesan, quint8 status, qint16 terminal,
                        const QString& kdProduk, const QString& kdReseller);
    void InsertToInbox(const QString& pengirim, const QString& pesan, quint8 status,
                       qint16 terminal);
    void OnOffTerminal(const QString& modul, qint16 terminal, bool onOff);

    // ---- money: prices, ledger and transaction rows and rebates are in ledger/; deposit
    // movements, the waiting record, the deposit warning and the activity log in settlement/. Every
    // operation is public so that the guards and the tests reach them directly.

    // ---- price resolution (ledger/PriceLookups.cpp, ledger/GroupPrice.cpp)
    qint32 GetHargaBiasa(const QString& kdProduk);  // 0 without a product row
    qint32 GetHargaJualParsing(const QString& kdProduk, const QString& terminal);
    // The terminal's purchase price when it is at least 1, else the product's.
    qint32 GetHargaBeli(const QString& kdProduk, const QString& terminal);
    // The eleven-field ";" record; the header text for an unknown reseller.
    QString GetDataReseller(const QString& kdReseller);
    ResellerRecord ReadReseller(const QString& kdReseller);
    qint32 GetDepositKredit(const QString& kdReseller);  // 0 when none, also on any error
    quint8 GetTipeProduk(const QString& kdProduk);
    // Member-chain rebate total over Level steps up the chain; 0 (logged) on an error.
    qint32 GetRebatPerAgen(const QString& kodeKelompok, const QString& kdReseller, qint16 level);
    // The direct upline's rebate for this product: the downline's own entry, else "ALL".
    qint16 GetRebatPerProduk(const QString& kodeKelompok, const QString& kdReseller,
                             const QString& kdProduk);
    // The group price for the level, capped by the terminal's selling price; 0 when the
    // group gives none. Sets LastRebat to the upline rebate inside the price.
    qint32 GetHargaKelompok(const QString& kodeKelompok, const QString& kdProduk, qint16 level,
                            const QString& terminal, const QString& kdReseller);
    qint32 GetHargaReseller(const QString& kdReseller, const QString& kdProduk, qint16 terminal);
    qint32 LastRebat = 0;

    // ---- ledger and transaction rows (ledger/Rekening.cpp, ledger/Transaksi.cpp)
    // Appends a ledger entry carrying the reseller's balance forward; failures are logged and
    // reported to the monitor, and an entry refused for a duplicate key is written once more
    // after the counter has been moved.
    void InsertToRekening(const QString& kodeRek, qint32 debet, qint32 kredit,
                          const QString& kodeRS, const QString& uraian);
    qint32 GetAutoIncrement();  // the ledger's next id in this database, 0 when unreadable
    void DuplicateEntry();
    void InsertToTransaksi(const TransaksiRow& row);  // failures are logged
    // Charges an administration fee (0: the fee stored under kode) and records it.
    void Biaya(const QString& kdrs, qint32 mBiaya, const QString& kode);

    // ---- rebates (ledger/Rebates.cpp)
    void ProsesRebat(const QString& kdReseller, const QString& kdProduk);
    void RebatMGM(const QString& kodeKelompok, const QString& kdReseller, qint16 level,
                  const QString& kdProduk);

    // ---- deposit, waiting record, warning, activity log (settlement/)
    // Moves the deposit at the database ("-": down, any other sign: up) and returns the
    // deposit it leaves; an amount that would leave the 32-bit range raises "Overflow".
    qint32 UpdateDeposit(const QString& kdReseller, qint32 amount, const QString& sign);
    // Records a sent (or refused) order as a waiting transaction, debiting the deposit first
    // when the installation takes it at order time.
    void ExecuteMenunggu(const QString& kdReseller, const QString& hpRs, const QString& kdProduk,
                         const QString& tujuan, qint16 lineGate, qint16 terminal,
                         const QString& trxId);
    void CekLimitDeposit(const QString& kdReseller, qint32 deposit, const QString& hpReseller);
    void UpdateResellerLog(const QString& kdReseller, const QString& poin);
    void CreateResellerLog();  // creates reseller_log when it is missing, never replaces it

  signals:
    // A text for the host's monitor (connect it to mdlNX::KirimMonitor).
    void MonitorRecord(const QString& text);

  private:
    // Writes the row and raises on failure; LogTransaksiError writes InsertToTransaksi's line.
    void WriteTransaksi(const TransaksiRow& row);
    void LogTransaksiError(const TransaksiRow& row, const std::exception& e);
    // The waiting row and the debit at order time, in one transaction.
    void WriteWaiting(const ResellerRecord& r, qint32 harga, TransaksiRow& row,
                      const QString& kdReseller, bool& insertLogged);
    void CreditRebat(qint32 amount, const QString& kodeReseller, const QString& uraian);

  private:
    QString QueueTable() const;

    Context ctx_;
};
