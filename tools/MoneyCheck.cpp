#include "MoneyCheck.h"

#include <QLocale>

#include "store/Database.h"

QString MoneyCheck::Money(qint64 amount) {
    return QLocale(QLocale::English).toString(amount);
}

QHash<QString, qint64> MoneyCheck::Deposits(Database& db) {
    QHash<QString, qint64> deposits;
    const DbResult r = db.Exec(QStringLiteral("SELECT kode_reseller, deposit FROM reseller"));
    for (int i = 0; i < r.RecordCount(); ++i)
        deposits[r.Text(i, QStringLiteral("kode_reseller"))] = r.Int(i, QStringLiteral("deposit"));
    return deposits;
}

MoneyCheck::Result MoneyCheck::Run(Database& db, const QHash<QString, qint64>& startDeposits,
                                   QTextStream& out) {
    Result result;
    result.doubled = Doubled(db);
    result.depositsAddUp = DepositsAddUp(db, startDeposits, out);
    result.ledgerAddsUp = BooksAddUp(db, out);
    return result;
}

int MoneyCheck::Doubled(Database& db) {
    return static_cast<int>(
        db.Exec(QStringLiteral("SELECT SUBSTRING_INDEX(SUBSTRING_INDEX(kode_transaksi, '#', 2), "
                               "'#', -1) AS trx FROM transaksi WHERE status = '1' GROUP BY trx "
                               "HAVING COUNT(*) > 1"))
            .RecordCount());
}

bool MoneyCheck::DepositsAddUp(Database& db, const QHash<QString, qint64>& startDeposits,
                               QTextStream& out) {
    bool deposits = true;
    const DbResult now = db.Exec(QStringLiteral(
        "SELECT r.kode_reseller AS kode, r.deposit AS deposit, COALESCE((SELECT SUM(harga_beli) "
        "FROM transaksi t WHERE t.kode_reseller = r.kode_reseller AND t.status = '1'), 0) AS "
        "spent FROM reseller r"));
    qint64 start = 0, spent = 0, left = 0;
    for (int i = 0; i < now.RecordCount(); ++i) {
        const QString kode = now.Text(i, QStringLiteral("kode"));
        start += startDeposits.value(kode);
        spent += now.Int(i, QStringLiteral("spent"));
        left += now.Int(i, QStringLiteral("deposit"));
        const qint64 expected = startDeposits.value(kode) - now.Int(i, QStringLiteral("spent"));
        if (now.Int(i, QStringLiteral("deposit")) == expected) continue;
        deposits = false;
        out << "check: deposit of " << kode << " is " << now.Int(i, QStringLiteral("deposit"))
            << ", expected " << expected << Qt::endl;
    }
    const DbResult rows = db.Exec(QStringLiteral(
        "SELECT COUNT(*) AS n FROM transaksi WHERE status = '1' AND kode_transaksi <> '1-cost' "
        "AND deposit_awal - harga_beli <> deposit_akhir"));
    if (rows.Int(0, QStringLiteral("n")) != 0) {
        deposits = false;
        out << "check: " << rows.Int(0, QStringLiteral("n"))
            << " settled rows whose deposits do not differ by their price" << Qt::endl;
    }
    out << "check: deposits " << Money(start) << " at the start, " << Money(spent)
        << " charged for successful orders, " << Money(left) << " now" << Qt::endl;
    return deposits;
}

bool MoneyCheck::BooksAddUp(Database& db, QTextStream& out) {
    bool books = true;
    const DbResult entries = db.Exec(QStringLiteral(
        "SELECT kode_reseller, debet, kredit, saldo FROM rekening ORDER BY kode_reseller, id"));
    QString reseller;
    qint64 balance = 0;
    for (int i = 0; i < entries.RecordCount(); ++i) {
        const QString kode = entries.Text(i, QStringLiteral("kode_reseller"));
        if (kode != reseller) balance = 0;
        reseller = kode;
        balance +=
            entries.Int(i, QStringLiteral("kredit")) - entries.Int(i, QStringLiteral("debet"));
        if (entries.Int(i, QStringLiteral("saldo")) == balance) continue;
        books = false;
        out << "check: a book entry of " << kode << " breaks its balance chain" << Qt::endl;
    }
    const DbResult rebates = db.Exec(QStringLiteral(
        "SELECT (SELECT COALESCE(SUM(k.rebat), 0) FROM transaksi t JOIN kelompok k ON "
        "k.kode_produk = t.kode_produk AND k.kode_kelompok = 'G' WHERE t.status = '1') AS due, "
        "(SELECT COALESCE(SUM(kredit - debet), 0) FROM rekening) AS booked"));
    if (rebates.Int(0, QStringLiteral("due")) != rebates.Int(0, QStringLiteral("booked"))) {
        books = false;
        out << "check: rebates due " << rebates.Int(0, QStringLiteral("due")) << ", booked "
            << rebates.Int(0, QStringLiteral("booked")) << Qt::endl;
    }
    out << "check: rebates " << Money(rebates.Int(0, QStringLiteral("due")))
        << " due to the uplines for these sales, "
        << Money(rebates.Int(0, QStringLiteral("booked"))) << " in their books" << Qt::endl;
    return books;
}
