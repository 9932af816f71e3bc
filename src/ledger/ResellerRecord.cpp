#include "ledger/ResellerRecord.h"

#include <QStringList>

#include "store/Convert.h"
#include "store/Errors.h"

ResellerRecord ResellerRecord::Header() {
    ResellerRecord r;
    r.kodeReseller = QStringLiteral("Kode_reseller");
    r.namaReseller = QStringLiteral("Nama_reseller");
    r.deposit = QStringLiteral("Deposit");
    r.alamat = QStringLiteral("Alamat");
    r.pin = QStringLiteral("Pin");
    r.status = QStringLiteral("Status");
    r.manual = QStringLiteral("Manual");
    r.terminal = QStringLiteral("Terminal");
    r.kodeUpline = QStringLiteral("Kode_upline");
    r.level = QStringLiteral("Level");
    r.kodeKelompok = QStringLiteral("Kode_kelompok");
    return r;
}

QString ResellerRecord::ToText() const {
    return QStringList{kodeReseller, namaReseller, deposit,    alamat, pin,         status,
                       manual,       terminal,     kodeUpline, level,  kodeKelompok}
        .join(QLatin1Char(';'));
}

qint16 ResellerRecord::LevelNumber() const {
    bool ok = false;
    level.trimmed().toDouble(&ok);
    if (!ok) throw RelvaneError(QString::fromUtf8(kTypeMismatch));
    return Convert::ToInt16(level);
}
