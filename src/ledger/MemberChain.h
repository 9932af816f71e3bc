#pragma once

#include <QString>

#include "store/Database.h"

// One step up a group's member chain: the row of `current`, whose kode_produk names the
// member above it and whose rebat is what that member earns. No row: the chain ends here.
inline DbResult NextInChain(Database& db, const QString& kodeKelompok, const QString& current) {
    return db.Exec(QStringLiteral("SELECT kode_produk,rebat FROM harga_agen where kode_kelompok=? "
                                  "and kode_reseller= ?"),
                   {kodeKelompok, current});
}
