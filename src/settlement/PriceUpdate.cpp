#include "settlement/PriceUpdate.h"

#include <QStringList>

#include "ledger/Prices.h"
#include "store/Convert.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

namespace {

const QString kNotFound = QStringLiteral("N/A");

// Separators of thousands and decimals go; the price is the digits that remain.
QString Digits(QString text) {
    text.remove(QLatin1Char(','));
    text.remove(QLatin1Char('.'));
    return text.trimmed();
}

}  // namespace

void PriceUpdate::LoadMarkers(const QString& terminal) {
    if (!start_.isEmpty() && !end_.isEmpty() && !firstWord_.isEmpty()) return;
    const auto setting = [&](const char* key, const char* fallback) {
        return ctx_.settings
            .GetSetting(Keys::kAppKzdSql, Keys::kSecSettings, QString::fromUtf8(key) + terminal,
                        QString::fromUtf8(fallback))
            .toLower();
    };
    start_ = setting(Keys::kSnAwalGetHrgProduk, Keys::kSnAwalGetHrgProdukDefault);
    end_ = setting(Keys::kSnAkhirGetHrgProduk, Keys::kSnAkhirGetHrgProdukDefault);
    firstWord_ = setting(Keys::kSnAkhirGetHrgKataAwal, Keys::kSnAkhirGetHrgKataAwalDefault);
}

PriceUpdate::Selisih PriceUpdate::GetSelisihReply(const QString& kdProduk, qint16 terminal) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT selisih, reply, harga_beli, harga_jual FROM parsing where "
                       "kode_produk= ? and terminal=?"),
        {kdProduk, terminal});
    Selisih s;
    if (r.IsEmpty()) return s;
    s.mode = Convert::ToInt32(r.Text(0, QStringLiteral("selisih")));
    s.markup = Convert::ToInt32(r.Text(0, QStringLiteral("reply")));
    s.hargaBeli = Convert::ToInt32(r.Text(0, QStringLiteral("harga_beli")));
    s.hargaJualText = r.Text(0, QStringLiteral("harga_jual"));
    s.hargaJual = Convert::ToInt32(s.hargaJualText);
    return s;
}

QString PriceUpdate::GetHrgDariBalasan(const QString& reply, const QString& terminal) {
    QString text = reply.toLower();
    LoadMarkers(terminal);
    const int word = firstWord_.isEmpty() ? -1 : text.indexOf(firstWord_);
    if (word >= 0) text = text.mid(word);

    if (start_.contains(QLatin1Char(';'))) {
        const QStringList starts = start_.split(QLatin1Char(';'));
        const QStringList ends = end_.split(QLatin1Char(';'));
        for (int i = 0; i < starts.size(); ++i) {
            QString s = starts[i], e = ends.value(i);
            s.replace(QLatin1Char('.'), QLatin1String("\\."));
            e.replace(QLatin1Char('.'), QLatin1String("\\."));
            const QString price =
                Digits(UtilityComponent::RegexCapture(s + QStringLiteral("(.+?)") + e, text));
            if (!price.isEmpty()) return price;
        }
        return QString("");
    }

    // Without the start marker the reading begins where the marker would have ended.
    const int at = text.indexOf(start_);
    QString rest = text.mid(at >= 0 ? at + start_.size() : start_.size());
    int close = end_.isEmpty() ? -1 : rest.indexOf(end_);
    if (close == 0) {
        rest = rest.mid(1);
        close = rest.indexOf(end_);
    }
    if (!end_.isEmpty() && close < 0) return kNotFound;
    return Digits(end_.isEmpty() ? rest : rest.left(close));
}

QString PriceUpdate::GetHrgCadangan(const QString& reply) {
    const QString text = reply.toLower();
    const int close = text.indexOf(end_);
    // Without the end marker there is nothing before it to read.
    if (close < 0) return kNotFound;
    const QString tail = text.left(close).right(10);
    const int open = start_.isEmpty() ? 0 : tail.indexOf(start_);
    if (open < 0) return kNotFound;
    return Digits(tail.mid(open + 1));
}

QString PriceUpdate::ReadPrice(const QString& text, const QString& terminal) {
    const QString price = GetHrgDariBalasan(text, terminal);
    if (price == kNotFound || price.size() > 10) return GetHrgCadangan(text);
    return price;
}

void PriceUpdate::SetUpHarga(const QString& text, const QString& kdProduk, const QString& terminal,
                             const QString& id) {
    adopted_.reset();  // nothing carries over from an earlier settlement
    sellingPrice_.reset();
    try {
        const Selisih s = GetSelisihReply(kdProduk, Convert::ToInt16(terminal));
        sellingPrice_ = s.hargaJualText;
        if (s.mode == 0) return;
        if (s.mode == 2) {
            if (!kdProduk.contains(QLatin1Char('?'))) return;
            const QString price = ReadPrice(text, terminal);
            ctx_.db.Step([&] {
                ctx_.db.Exec(
                    QStringLiteral("update transaksi set harga_dasar=? where id=?"),
                    {ctx_.db.Fit(QStringLiteral("transaksi"), QStringLiteral("harga_dasar"), price),
                     id});
            });
            return;
        }
        const qint32 basePrice = prices_.GetHargaBiasa(kdProduk);
        const QString price = ReadPrice(text, terminal);
        if (price == kNotFound) return;
        const qint32 value = Convert::ToInt32(price);
        if (value <= 100) return;
        qint32 jual = Convert::CheckedInt32(qint64{value} + (s.mode > 1 ? s.mode : s.markup));
        if (jual < basePrice) jual = basePrice;
        // The numeric columns take the number; the base price keeps the text as read.
        sellingPrice_.reset();
        ctx_.db.Step([&] {
            ctx_.db.Exec(QStringLiteral("update parsing set harga_beli=?,harga_jual=? where "
                                        "kode_produk=? and terminal=?"),
                         {value, jual, kdProduk, terminal});
            ctx_.db.Exec(QStringLiteral("update transaksi set harga_dasar=? where id=?"),
                         {QString::number(value), id});
        });
        if (s.mode > 2) return;  // adopted for good
        // A product without an ordinary price gets back the prices its row had: never 0.
        adopted_ = basePrice > 0 ? Adopted{kdProduk, terminal, basePrice, basePrice}
                                 : Adopted{kdProduk, terminal, s.hargaBeli, s.hargaJual};
    } catch (const std::exception& e) {
        ctx_.util.WriteLog(QStringLiteral("Terminal #") + terminal,
                           QStringLiteral("SetUpHarga (") + text + QStringLiteral(") Produk:") +
                               kdProduk + Describe(e));
    }
}

void PriceUpdate::SetNormalkanHrgParsing(const QString& kdProduk, const QString& terminal) {
    // The row whose prices were adopted is put back, which with merged terminals is this
    // instance's row rather than that of the order's terminal.
    Q_UNUSED(terminal);
    if (!adopted_ || adopted_->kdProduk != kdProduk) return;
    const Adopted a = *adopted_;
    adopted_.reset();
    try {
        ctx_.db.Step([&] {
            ctx_.db.Exec(QStringLiteral("update parsing set harga_beli=?,harga_jual=? where "
                                        "kode_produk=? and terminal=?"),
                         {a.hargaBeli, a.hargaJual, a.kdProduk, a.terminal});
        });
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("SetNormalkanHrgParsing ") + kdProduk + QLatin1Char(' '), e);
    }
}
