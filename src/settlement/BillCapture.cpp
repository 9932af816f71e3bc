#include "settlement/BillCapture.h"

#include "store/Convert.h"
#include "store/Database.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"

namespace {

const QString kNotFound = QStringLiteral("N/A");

QString TrimBlanks(const QString& text) {
    int first = 0;
    int last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' ')) ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' ')) --last;
    return text.mid(first, last - first);
}

// An empty setting holds no markers at all (not one empty marker, which would match anywhere).
QStringList Markers(const QString& setting) {
    return setting.isEmpty() ? QStringList() : setting.split(QLatin1Char(';'));
}

}  // namespace

QString BillCapture::AmbilDiantara(const QString& text, const QString& awal, const QString& akhir) {
    const QString t = text.toLower();
    const QString start = awal.toLower();
    const QString end = akhir.toLower();
    const int at = t.indexOf(start);
    if (at < 0) return kNotFound;
    const QString rest = t.mid(at + start.size());
    if (end.isEmpty()) return TrimBlanks(rest);
    const int stop = rest.indexOf(end);
    if (stop < 0) return kNotFound;
    return TrimBlanks(rest.left(stop));
}

BillCapture::Found BillCapture::FirstBetween(const QString& pesan, const QString& awal,
                                             const QString& akhir) {
    const QStringList starts = Markers(awal);
    const QStringList ends = Markers(akhir);
    Found found;
    found.value = kNotFound;
    for (; found.k < starts.size(); ++found.k) {
        // The panel keeps the lists the same length; a hand-edited store may not.
        if (found.k >= ends.size())
            throw RelvaneError(QStringLiteral("no end marker for start marker ") + starts[found.k]);
        const QString value = AmbilDiantara(pesan, starts[found.k], ends[found.k]);
        if (value != kNotFound) {
            found.value = value;
            found.ok = true;
            break;
        }
    }
    return found;
}

void BillCapture::Show(const QString& label, const QString& value) {
    // A settlement run again after a deadlock shows its lines once.
    ctx_.db.AfterCommit([this, label, value] { out_.SendBox(label, value); });
}

QString BillCapture::Setting(const char* stem, const char* defaultValue) const {
    return ctx_.settings.GetSetting(
        QString::fromUtf8(Keys::kAppKzdSql), QString::fromUtf8(Keys::kSecSettings),
        Keys::PerTerminal(stem, ctx_.values.TerminalNo), QString::fromUtf8(defaultValue));
}

void BillCapture::GetHrgPPOB(const QString& pesan, const QString& terminal, const QString& tujuan) {
    QString index;
    QString idPln;
    QString harga;
    try {
        const QString awalHrg = Setting(Keys::kSnAwalHrg);
        if (awalHrg.isEmpty()) return;
        bool billReply = false;
        for (const QString& kata :
             Setting(Keys::kSnKataKunci, Keys::kSnKataKunciDefault).split(QLatin1Char(';'))) {
            if (pesan.contains(kata, Qt::CaseInsensitive)) {
                billReply = true;
                break;
            }
        }
        if (!billReply) return;

        const Found idx =
            FirstBetween(pesan, Setting(Keys::kSnAwalIdx), Setting(Keys::kSnAkhirIdx));
        index = idx.ok ? idx.value : QString("");
        Show(QStringLiteral("Index>") + QString::number(idx.k), index);

        const Found id =
            FirstBetween(pesan, Setting(Keys::kSnAwalIdPln), Setting(Keys::kSnAkhirIdPln));
        idPln = id.value;
        Show(QStringLiteral("ID>") + QString::number(id.k), idPln);

        const Found hrg = FirstBetween(pesan, awalHrg, Setting(Keys::kSnAkhirHrg));
        Show(QStringLiteral("Harga>") + QString::number(hrg.k), hrg.value);
        // "125.000" and "125,000" are thousands, not fractions.
        harga = hrg.value;
        harga.remove(QLatin1Char(',')).remove(QLatin1Char('.'));
        const qint32 amount = Convert::ToInt32(harga);
        const qint16 terminalNo = Convert::ToInt16(terminal);

        // The old rows go with the new one or not at all; inside the settlement's unit a
        // capture that fails is undone alone.
        ctx_.db.Step([&] {
            ctx_.db.Exec(QStringLiteral("DELETE from e2e_queue where msisdn=? or trx_id=?"),
                         {tujuan, tujuan});
            if (idPln == kNotFound || amount == 0) return;
            ctx_.db.Exec(
                QStringLiteral("insert into e2e_queue (tanggal, msisdn, pesan, terminal, "
                               "trx_id)values(?,?,?,?,?)"),
                {NowStamp(),
                 ctx_.db.Fit(QStringLiteral("e2e_queue"), QStringLiteral("msisdn"), idPln),
                 QString::number(amount), terminalNo,
                 ctx_.db.Fit(QStringLiteral("e2e_queue"), QStringLiteral("trx_id"), index)});
        });
    } catch (const std::exception& e) {
        ctx_.util.WriteLog(ctx_.values.TerminalName,
                           QStringLiteral("GetHrgPPOB INDEX:") + index + QStringLiteral(" IDPLN:") +
                               idPln + QStringLiteral(" Harga:") + harga +
                               QStringLiteral(" Text:") + pesan + QStringLiteral(" [") +
                               Describe(e) + QLatin1Char(']'));
    }
}

qint32 BillCapture::GetHrgPLN(const QString& tujuan) {
    try {
        // The terminal condition binds to the customer-ID comparison only: a row found by its
        // index counts whatever its terminal.
        const DbResult r = ctx_.db.Exec(
            QStringLiteral("select pesan from e2e_queue where NOT terminal='0' and msisdn=? or "
                           "trx_id=? order by id DESC"),
            {tujuan, tujuan});
        return r.IsEmpty() ? 0 : Convert::ToInt32(r.Text(0, QStringLiteral("pesan")));
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("GetHrgPLN ") + tujuan + QLatin1Char(' '), e);
        return 0;
    }
}

QString BillCapture::GetMsisdnE2E(const QString& value) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT msisdn FROM e2e_queue where trx_id= ? ORDER BY id DESC"), {value});
    return r.IsEmpty() ? QStringLiteral("NC:NC:NC") : r.Text(0, QStringLiteral("msisdn")).toLower();
}
