#pragma once

#include <QString>

// The columns one transaction row is written with; every other column keeps its default.
// Amounts travel as the texts they are written as.
struct TransaksiRow {
    QString kodeTransaksi;
    QString kodeProduk;
    QString tujuan;
    QString kodeReseller;
    QString hpReseller;
    QString depositAwal;
    QString depositAkhir;
    QString hargaBeli;
    QString hargaDasar;
    qint16 lineGate = 0;
    qint16 terminal = 0;
    quint8 status = 0;
    QString keterangan;
};
