#include "Demo.h"

#include <QRegularExpression>

#include "DemoWorld.h"
#include "MoneyCheck.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"

namespace {

// All in group G under the upline U; R3 cannot pay for an order.
const DemoWorld::Member kMembers[] = {{"U", "Agen Utama", 0, ""},
                                      {"R1", "Toko Satu", 100000, "U"},
                                      {"R2", "Toko Dua", 60000, "U"},
                                      {"R3", "Toko Tiga", 5000, "U"}};

QString Jid(const QString& user, int n, const Demo::Options& o) {
    return DemoWorld::Jid(user, n, o.xmppDomain);
}

}  // namespace

void Demo::Prepare(Database& db, const SettingsStore& settings, const Options& o) {
    DemoWorld::Plan plan;
    plan.terminals = {o.terminalA, o.terminalB};
    for (const DemoWorld::Member& m : kMembers) plan.members.append(m);
    plan.xmppDomain = o.xmppDomain;
    plan.xmppHost = o.xmppHost;
    plan.xmppPort = o.xmppPort;
    plan.xmppPassword = o.xmppPassword;
    DemoWorld::PrepareTables(db, plan);
    for (int terminal : plan.terminals) DemoWorld::ConfigureTerminal(settings, terminal, plan);
    // A failure with a re-route keyword on A moves the order to B.
    settings.SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings,
                         Keys::PerTerminal(Keys::kPintar, o.terminalA), QStringLiteral("1"));
}

Demo::Demo(Database& db, Options options, QTextStream& out, QObject* parent)
    : QObject(parent), db_(db), o_(std::move(options)), out_(out) {
    pace_.setInterval(o_.paceMs);
    connect(&pace_, &QTimer::timeout, this, &Demo::QueueNext);
    watch_.setInterval(200);
    connect(&watch_, &QTimer::timeout, this, &Demo::Watch);
}

Demo::~Demo() = default;

void Demo::Start() {
    clock_.start();
    startDeposits_ = MoneyCheck::Deposits(db_);
    const auto supplier = [this](int terminal) {
        auto s = std::make_unique<FakeSupplier>(Jid(QStringLiteral("supplier"), terminal, o_),
                                                o_.xmppPassword, o_.xmppHost, o_.xmppPort, 200);
        s->Start();
        return s;
    };
    supplierA_ = supplier(o_.terminalA);
    supplierA_->SetFailEvery(o_.failEvery);
    supplierB_ = supplier(o_.terminalB);
    out_ << "demo: waiting for terminals " << o_.terminalA << " and " << o_.terminalB
         << " to log in" << Qt::endl;
    WaitForTerminals();
}

void Demo::WaitForTerminals() {
    const DbResult r =
        db_.Exec(QStringLiteral("SELECT COUNT(*) AS n FROM terminal WHERE terminal IN (?, ?) AND "
                                "status = '1'"),
                 {o_.terminalA, o_.terminalB});
    const bool suppliers = supplierA_->IsOnline() && supplierB_->IsOnline();
    if (r.Int(0, QStringLiteral("n")) == 2 && suppliers) {
        out_ << "demo: both terminals online; " << o_.orders << " orders follow, one every "
             << o_.paceMs << " ms" << Qt::endl;
        QueueNext();
        pace_.start();
        watch_.start();
        return;
    }
    if (clock_.elapsed() > o_.loginTimeoutMs) {
        out_ << "demo: the terminals did not log in; see their logs" << Qt::endl;
        summary_.unfinished = o_.orders;
        Finish();
        return;
    }
    QTimer::singleShot(250, this, &Demo::WaitForTerminals);
}

void Demo::QueueNext() {
    if (static_cast<int>(orders_.size()) >= o_.orders) {
        pace_.stop();
        return;
    }
    Order order;
    order.n = static_cast<int>(orders_.size()) + 1;
    order.reseller = order.n == o_.refuseAt ? QStringLiteral("R3")
                     : order.n % 2 == 1     ? QStringLiteral("R1")
                                            : QStringLiteral("R2");
    order.product = order.n % 3 == 0 ? QStringLiteral("S5") : QStringLiteral("S10");
    order.destination = QStringLiteral("08123456%1").arg(order.n, 4, 10, QLatin1Char('0'));
    order.depositBefore =
        db_.Exec(QStringLiteral("SELECT deposit FROM reseller WHERE kode_reseller = ?"),
                 {order.reseller})
            .Int(0, QStringLiteral("deposit"));
    order.queuedAtMs = clock_.elapsed();
    const QString trx = QStringLiteral("DEMO%1").arg(order.n);
    db_.Exec(QStringLiteral("INSERT INTO job_quenue (datetime, kode_produk, tujuan, pesan, "
                            "kode_reseller, hp_reseller, trx_id, terminal) VALUES (?, ?, ?, ?, ?, "
                            "?, ?, ?)"),
             {NowStamp(), order.product, order.destination,
              order.product + QLatin1Char('.') + order.destination + QLatin1Char('.') + trx,
              order.reseller, QStringLiteral("0811000") + QString::number(order.n),
              trx + QStringLiteral("#0#0"), o_.terminalA});
    orders_.push_back(order);
    Tell(order, QStringLiteral("queued"),
         order.reseller + QLatin1Char(' ') + order.product + QStringLiteral(" to ") +
             order.destination + QStringLiteral(" on terminal ") + QString::number(o_.terminalA) +
             QStringLiteral(" (deposit ") + MoneyCheck::Money(order.depositBefore) +
             QLatin1Char(')'));
}

void Demo::Watch() {
    bool all = static_cast<int>(orders_.size()) == o_.orders;
    for (Order& order : orders_) {
        if (!order.ended) Follow(order);
        if (!order.ended && clock_.elapsed() - order.queuedAtMs > o_.orderTimeoutMs) {
            Tell(order, QStringLiteral("stuck"),
                 QStringLiteral("no end after ") + QString::number(o_.orderTimeoutMs) +
                     QStringLiteral(" ms"));
            order.ended = true;
            ++summary_.unfinished;
        }
        all = all && order.ended;
    }
    if (all) Finish();
}

void Demo::Follow(Order& order) {
    const DbResult rows = db_.Exec(
        QStringLiteral("SELECT id, terminal, status, sn, harga_beli, deposit_awal, "
                       "deposit_akhir, keterangan FROM transaksi WHERE kode_transaksi LIKE ? "
                       "ORDER BY id"),
        {QStringLiteral("%#DEMO%1#%").arg(order.n)});
    for (int i = 0; i < rows.RecordCount(); ++i) {
        const qint64 id = rows.Int(i, QStringLiteral("id"));
        const QString status = rows.Text(i, QStringLiteral("status"));
        const QString terminal = rows.Text(i, QStringLiteral("terminal"));
        const QString remark = rows.Text(i, QStringLiteral("keterangan"));
        const bool refused = remark.contains(QLatin1String("err001"));
        if (!order.told.contains(id) && !refused)
            Tell(order, QStringLiteral("sent"),
                 QStringLiteral("by terminal ") + terminal + QStringLiteral(", waiting for ") +
                     Jid(QStringLiteral("supplier"), terminal.toInt(), o_));
        if (order.told.value(id) == status) continue;
        order.told[id] = status;
        if (status == QLatin1String("2")) continue;
        if (!refused) Tell(order, QStringLiteral("reply"), ReplyText(remark));
        if (status == QLatin1String("1")) {
            Tell(order, QStringLiteral("success"),
                 QStringLiteral("SN ") + rows.Text(i, QStringLiteral("sn")) +
                     QStringLiteral(", Rp") +
                     MoneyCheck::Money(rows.Int(i, QStringLiteral("harga_beli"))) +
                     QStringLiteral(": deposit ") +
                     MoneyCheck::Money(rows.Int(i, QStringLiteral("deposit_awal"))) +
                     QStringLiteral(" -> ") +
                     MoneyCheck::Money(rows.Int(i, QStringLiteral("deposit_akhir"))));
            order.outcome = QStringLiteral("success");
            order.ended = true;
        } else if (remark.contains(QLatin1String("AUTO Pengalihan"))) {
            Tell(order, QStringLiteral("re-routed"),
                 QStringLiteral("a re-route keyword: the order is queued for terminal ") +
                     QString::number(o_.terminalB));
            ++summary_.reroutes;
        } else {
            Tell(order, refused ? QStringLiteral("refused") : QStringLiteral("failed"),
                 (refused ? QStringLiteral("the deposit does not cover the order")
                          : QStringLiteral("the supplier refused it")) +
                     QStringLiteral("; deposit stays ") + MoneyCheck::Money(order.depositBefore));
            order.outcome = refused ? QStringLiteral("refused") : QStringLiteral("failure");
            order.ended = true;
        }
    }
}

void Demo::Tell(const Order& order, const QString& what, const QString& text) {
    out_ << QStringLiteral("#%1 %2 %3").arg(order.n, -3).arg(what, -10).arg(text) << Qt::endl;
}

QString Demo::ReplyText(const QString& remark) {
    // A re-routed row keeps the reply inside its note: "...:{reply(terminal)}".
    static const QRegularExpression note(QStringLiteral(":\\{(.*)\\(\\d+\\)\\}$"));
    const QRegularExpressionMatch m = note.match(remark);
    return QLatin1Char('"') + (m.hasMatch() ? m.captured(1) : remark) + QLatin1Char('"');
}

void Demo::Stop() {
    Finish();
}

void Demo::Finish() {
    if (finished_) return;
    finished_ = true;
    pace_.stop();
    watch_.stop();
    for (const Order& order : orders_) {
        if (order.outcome == QLatin1String("success")) ++summary_.successes;
        if (order.outcome == QLatin1String("failure")) ++summary_.failures;
        if (order.outcome == QLatin1String("refused")) ++summary_.refusals;
        if (!order.ended) ++summary_.unfinished;
    }
    summary_.orders = static_cast<int>(orders_.size());
    out_ << Qt::endl;
    const MoneyCheck::Result check = MoneyCheck::Run(db_, startDeposits_, out_);
    summary_.doubled = check.doubled;
    summary_.depositsAddUp = check.depositsAddUp;
    summary_.ledgerAddsUp = check.ledgerAddsUp;
    out_ << "summary: " << summary_.orders << " orders, " << summary_.successes << " succeeded, "
         << summary_.failures << " failed, " << summary_.refusals << " refused, "
         << summary_.reroutes << " re-routed, " << summary_.unfinished << " unfinished" << Qt::endl;
    out_ << "summary: no order charged twice: " << (summary_.doubled == 0 ? "yes" : "NO")
         << Qt::endl;
    out_ << "summary: deposits add up: " << (summary_.depositsAddUp ? "yes" : "NO") << Qt::endl;
    out_ << "summary: rebate books add up: " << (summary_.ledgerAddsUp ? "yes" : "NO") << Qt::endl;
    emit Finished(summary_.Ok());
}
