#pragma once

#include <QString>
#include <cstdint>

// One job of the queue as the host wrote it.
struct Job {
    qint64 id = 0;
    QString kodeProduk;
    QString tujuan;
    QString pesan;
    QString kodeReseller;
    QString hpReseller;
    QString trxId;
    qint16 terminal = 0;
    qint32 lineGate = 0;

    // The line as the 16-bit fields of orders keep it; a line beyond that counts as 0.
    qint16 LineGate16() const { return LineGate16(lineGate); }
    static qint16 LineGate16(qint64 line) {
        return line >= INT16_MIN && line <= INT16_MAX ? static_cast<qint16>(line) : 0;
    }
};
