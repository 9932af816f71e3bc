#include "DemoWorld.h"

#include "chat/PasswordScramble.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

namespace {

const char* const kTables[] = {
    "job_quenue", "job_quenue_", "outbox",       "inbox",    "terminal",     "ym_queue",
    "transaksi",  "balasan",     "reseller_log", "parsing",  "produk",       "kelompok",
    "harga_agen", "reseller",    "hp_reseller",  "rekening", "configuration"};

struct Product {
    const char* code;
    const char* name;
    int price;   // the resellers' group price
    int rebate;  // the upline's share of each sale
};
const Product kProducts[] = {{"S10", "Pulsa 10rb", 10500, 25}, {"S5", "Pulsa 5rb", 5600, 20}};

}  // namespace

QString DemoWorld::Jid(const QString& user, int n, const QString& domain) {
    return user + QString::number(n) + QLatin1Char('@') + domain;
}

void DemoWorld::PrepareTables(Database& db, const Plan& plan) {
    for (const char* table : kTables)
        db.Exec(QStringLiteral("TRUNCATE TABLE ") + QLatin1String(table));
    for (const Member& m : plan.members) {
        if (m.upline.isEmpty())
            db.Exec(QStringLiteral("INSERT INTO reseller (kode_reseller, nama_reseller, deposit, "
                                   "level, kode_kelompok) VALUES (?, ?, ?, 2, 'G')"),
                    {m.code, m.name, m.deposit});
        else
            db.Exec(
                QStringLiteral("INSERT INTO reseller (kode_reseller, nama_reseller, deposit, "
                               "level, kode_kelompok, kode_upline) VALUES (?, ?, ?, 3, 'G', ?)"),
                {m.code, m.name, m.deposit, m.upline});
    }
    for (const Product& p : kProducts) {
        db.Exec(QStringLiteral("INSERT INTO produk (kode_produk, nama_produk, poin) "
                               "VALUES (?, ?, 1)"),
                {p.code, p.name});
        db.Exec(QStringLiteral("INSERT INTO kelompok (kode_kelompok, kode_produk, harga, rebat) "
                               "VALUES ('G', ?, ?, ?)"),
                {p.code, p.price, p.rebate});
        for (int terminal : plan.terminals)
            db.Exec(QStringLiteral("INSERT INTO parsing (kode_produk, terminal, method, "
                                   "harga_jual, cmd) VALUES (?, ?, 'RLV', ?, ?)"),
                    {p.code, terminal, p.price + 100,
                     QLatin1String(p.code) + QStringLiteral(".<tujuan>.<trxid>")});
    }
    db.Exec(
        QStringLiteral("INSERT INTO balasan (katakunci, balasan, jenis) VALUES "
                       "('sukses', '<namaproduk> <tujuan> SN:<sn> Saldo Rp<deposit>', 'OKE'), "
                       "('gagal', 'GAGAL <namaproduk> <tujuan> Saldo Rp<deposit>', 'ERROR')"));
    // Rebates go to the uplines' books, not into their deposits.
    db.Exec(
        QStringLiteral("INSERT INTO configuration (kode, parsing, level) VALUES ('Pisahkan "
                       "rebat Paket Harga dari penambahan deposit langsung', '1', 11)"));
    for (int terminal : plan.terminals)
        db.Exec(QStringLiteral("INSERT INTO terminal (terminal, modul) VALUES (?, 'Relvane')"),
                {terminal});
}

void DemoWorld::ConfigureTerminal(const SettingsStore& settings, int terminal, const Plan& plan) {
    const auto own = [terminal](const char* stem) { return Keys::PerTerminal(stem, terminal); };
    const auto save = [&](const char* app, const char* section, const QString& key,
                          const QString& value) { settings.SaveSetting(app, section, key, value); };
    save(Keys::kAppHbvGate, Keys::kSecSetting, own(Keys::kUidHbv),
         Jid(QStringLiteral("terminal"), terminal, plan.xmppDomain));
    save(Keys::kAppHbvGate, Keys::kSecSetting, own(Keys::kPwdHbv),
         PasswordScramble::ScrambleText(plan.xmppPassword, Keys::kPasswordKey));
    save(Keys::kAppHbvGate, Keys::kSecSetting, own(Keys::kJHostname), plan.xmppHost);
    save(Keys::kAppHbvGate, Keys::kSecSetting, own(Keys::kJPort), QString::number(plan.xmppPort));
    save(Keys::kAppHbvGate, Keys::kSecSetting, own(Keys::kServerHbv),
         Jid(QStringLiteral("supplier"), terminal, plan.xmppDomain));
    save(Keys::kAppKzdSql, Keys::kSecSettings, own(Keys::kOffCekSaldo), QStringLiteral("0"));
    save(Keys::kAppKzdSql, Keys::kSecSettings, QStringLiteral("SNAwalStok #%1").arg(terminal),
         QStringLiteral("stok:"));
    save(Keys::kAppKzdSql, Keys::kSecSettings, QStringLiteral("SNAkhirStok #%1").arg(terminal),
         QStringLiteral(" "));
}
