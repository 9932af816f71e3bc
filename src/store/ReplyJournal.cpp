#include "store/ReplyJournal.h"

#include <unistd.h>

#include <QFile>
#include <QSaveFile>

#include "store/ProcessValues.h"
#include "store/UtilityComponent.h"

namespace {

const QString kStamp = QStringLiteral("yyyy-MM-ddThh:mm:ss");

}  // namespace

ReplyJournal::ReplyJournal(UtilityComponent& util, const ProcessValues& values)
    : util_(util), values_(values) {}

QString ReplyJournal::Path() const {
    return util_.ProgramFile(QStringLiteral("held-replies-%1.journal").arg(values_.TerminalNo));
}

void ReplyJournal::Log(const QString& text) const {
    util_.WriteLog(values_.LogName(), text);
}

QByteArray ReplyJournal::Line(const Reply& reply) {
    return reply.received.toString(kStamp).toUtf8() + '\t' +
           reply.sender.toUtf8().toPercentEncoding() + '\t' +
           reply.text.toUtf8().toPercentEncoding() + '\n';
}

QList<ReplyJournal::Reply> ReplyJournal::Load() {
    QList<Reply> replies;
    QFile file(Path());
    if (!file.exists()) return replies;
    if (!file.open(QIODevice::ReadOnly)) {
        Log(QStringLiteral("Jurnal balasan tidak terbaca: ") + Path() + QStringLiteral(" ") +
            file.errorString());
        return replies;
    }
    const QByteArray all = file.readAll();
    file.close();
    bool damaged = false;
    const QList<QByteArray> lines = all.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.isEmpty()) continue;
        const QList<QByteArray> fields = line.split('\t');
        const QDateTime received = fields.size() == 3
                                       ? QDateTime::fromString(QString::fromUtf8(fields[0]), kStamp)
                                       : QDateTime();
        // The last line without its line break was cut short by a stop in the middle of a
        // write: damaged like any other unreadable line.
        if (!received.isValid() || (i == lines.size() - 1)) {
            damaged = true;
            continue;
        }
        replies.append({QString::fromUtf8(QByteArray::fromPercentEncoding(fields[1])),
                        QString::fromUtf8(QByteArray::fromPercentEncoding(fields[2])), received});
    }
    if (damaged) {
        const QString stem =
            Path() + QStringLiteral(".damaged-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        QString aside = stem;
        for (int n = 2; QFile::exists(aside); ++n)
            aside = stem + QLatin1Char('-') + QString::number(n);
        if (QFile::rename(Path(), aside)) {
            Log(QStringLiteral("Jurnal balasan rusak, disimpan sebagai ") + aside +
                QStringLiteral("; ") + QString::number(replies.size()) +
                QStringLiteral(" balasan terbaca diproses"));
            Rewrite(replies);
        } else {
            Log(QStringLiteral("Jurnal balasan rusak: ") + Path());
        }
    }
    return replies;
}

bool ReplyJournal::Append(const Reply& reply) {
    QFile file(Path());
    const QByteArray line = Line(reply);
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Append) &&
                    file.write(line) == line.size() && file.flush() && ::fsync(file.handle()) == 0;
    if (!ok)
        Log(QStringLiteral("Jurnal balasan tidak bisa ditulis: ") + Path() + QStringLiteral(" ") +
            file.errorString());
    return ok;
}

bool ReplyJournal::Rewrite(const QList<Reply>& replies) {
    if (replies.isEmpty()) return !QFile::exists(Path()) || QFile::remove(Path());
    QSaveFile file(Path());
    bool ok = file.open(QIODevice::WriteOnly);
    for (const Reply& reply : replies) ok = ok && file.write(Line(reply)) >= 0;
    ok = ok && file.commit();
    if (!ok)
        Log(QStringLiteral("Jurnal balasan tidak bisa ditulis: ") + Path() + QStringLiteral(" ") +
            file.errorString());
    return ok;
}
