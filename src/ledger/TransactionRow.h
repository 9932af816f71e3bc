#pragma once

#include <QString>

// One transaksi row as this module writes and reads it. A writer fills the columns it writes,
// and every other column keeps its default; a reader fills the columns it reads. Amounts are
// 32-bit whole numbers and are written as their decimal texts.
struct TransactionRow {
    QString kodeTransaksi;
    QString kodeProduk;
    QString tujuan;
    QString kodeReseller;
    QString hpReseller;
    qint32 depositAwal = 0;
    qint32 depositAkhir = 0;
    qint32 hargaBeli = 0;
    qint32 hargaDasar = 0;
    qint16 lineGate = 0;
    qint16 terminal = 0;
    quint8 status = 0;
    QString keterangan;
};
