#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "dispatch/Job.h"
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
    void InsertToOutbox(const QString& tujuan, const QString& pesan, quint8 status,
                        qint16 terminal, const QString& kdProduk, const QString& kdReseller);
    void InsertToInbox(const QString& pengirim, const QString& pesan, quint8 status,
                       qint16 terminal);
    void OnOffTerminal(const QString& modul, qint16 terminal, bool onOff);

private:
    QString QueueTable() const;

    Context ctx_;
};
