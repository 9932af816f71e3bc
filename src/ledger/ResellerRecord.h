#pragma once

#include <QString>

// One reseller row as price resolution and rebates read it. A reseller that does not exist
// reads as the header record, whose fields are the field names themselves; its level is then
// not a number and converting it fails, which is how callers learn the reseller is unknown.
// What converting the level of an unknown reseller (or a level that is no number) raises.
inline constexpr char kTypeMismatch[] = "Type mismatch";

struct ResellerRecord {
    QString kodeReseller;
    QString namaReseller;
    QString deposit;
    QString alamat;
    QString pin;
    QString status;
    QString manual;
    QString terminal;
    QString kodeUpline;
    QString level;
    QString kodeKelompok;
    bool exists = false;

    static ResellerRecord Header();

    // The eleven fields joined by ";", in the order above.
    QString ToText() const;

    // The level as a number; raises RelvaneError("Type mismatch") when it is not one.
    qint16 LevelNumber() const;
};
