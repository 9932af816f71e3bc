#include "monitor/FeedReader.h"

#include <QRegularExpression>
#include <QTextCodec>

namespace {

const QString kSeparator = QStringLiteral("@=");

// "RLV #5:> (...)" for a sent order, "RLV Terminal #5" for a received message.
int TerminalOf(const QString& service) {
    static const QRegularExpression re(QStringLiteral("^RLV (?:Terminal )?#(\\d{1,5})\\b"));
    const QRegularExpressionMatch m = re.match(service);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

}  // namespace

FeedReader::FeedReader(QObject* parent) : QObject(parent) {
    connect(&socket_, &QUdpSocket::readyRead, this, &FeedReader::ReadPending);
}

bool FeedReader::Listen(const QHostAddress& address, quint16 port, QString* error) {
    if (socket_.bind(address, port)) return true;
    if (error) *error = socket_.errorString();
    return false;
}

void FeedReader::ReadPending() {
    bool any = false;
    while (socket_.hasPendingDatagrams()) {
        const qint64 size = socket_.pendingDatagramSize();
        QByteArray d(static_cast<int>(qBound<qint64>(0, size, kMaxDatagram)), '\0');
        const qint64 got = socket_.readDatagram(d.data(), d.size());
        if (got < 0 || size > kMaxDatagram) {
            ++dropped_;
            continue;
        }
        d.truncate(static_cast<int>(got));
        any = Take(d) || any;
    }
    if (any) emit Changed();
}

bool FeedReader::Take(const QByteArray& datagram, const QDateTime& now) {
    QTextCodec::ConverterState state;
    const QString text =
        QTextCodec::codecForName("UTF-8")->toUnicode(datagram.constData(), datagram.size(), &state);
    if (datagram.isEmpty() || datagram.size() > kMaxDatagram || state.invalidChars > 0) {
        ++dropped_;
        return false;
    }
    const QStringList f = text.split(kSeparator);
    if (f.size() == 3 && f[0] == QLatin1String("NODE")) {
        bool number = false;
        const int node = f[1].toInt(&number);
        const bool up = f[2] == QLatin1String("True");
        if (number && node >= 0 && (up || f[2] == QLatin1String("False"))) {
            nodes_[node] = NodeState{up, now};
            ++accepted_;
            return true;
        }
    } else if (f.size() == 6 && (f[5] == QLatin1String("1") || f[5] == QLatin1String("2"))) {
        FeedRecord r{now, TerminalOf(f[0]), f[5].toInt(), f[0], f[1], f[3], f[4]};
        if (r.terminal > 0) {
            (r.direction == 1 ? lastSent_ : lastReceived_)[r.terminal] = now;
            const qint64 minute = now.toSecsSinceEpoch() / 60;
            auto& counts = perMinute_[minute];
            (r.direction == 1 ? counts.first : counts.second) += 1;
            while (!perMinute_.isEmpty() && perMinute_.firstKey() < minute - 60)
                perMinute_.erase(perMinute_.begin());
            recent_.append(r);
            while (recent_.size() > kKeptRecords) recent_.removeFirst();
            ++accepted_;
            return true;
        }
    }
    ++dropped_;
    return false;
}

int FeedReader::PerMinute(qint64 minute, int direction) const {
    const auto counts = perMinute_.value(minute);
    return direction == 1 ? counts.first : counts.second;
}
