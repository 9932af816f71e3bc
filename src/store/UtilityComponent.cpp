#include "store/UtilityComponent.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include "store/Errors.h"
#include "store/IniFile.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"

namespace {

// The printable ASCII range the encoding shifts within.
constexpr int kFirstPrintable = 32;
constexpr int kPrintableCount = 95;

QString Shift(const QString& text, const QString& key, int direction) {
    if (key.isEmpty()) return text;
    QString out = text;
    for (int i = 0; i < out.size(); ++i) {
        const int c = out[i].unicode();
        if (c < kFirstPrintable || c >= kFirstPrintable + kPrintableCount) continue;
        const int k = key[i % key.size()].unicode() - kFirstPrintable;
        int shifted = ((c - kFirstPrintable) + direction * k) % kPrintableCount;
        if (shifted < 0) shifted += kPrintableCount;
        out[i] = QChar(kFirstPrintable + shifted);
    }
    return out;
}

// The text between start and end marker (end empty or missing: to the end), trimmed; nothing
// when the start marker does not occur.
std::optional<QString> Between(const QString& text, const QString& start, const QString& end) {
    const int from = text.indexOf(start, 0, Qt::CaseInsensitive);
    if (from < 0) return std::nullopt;
    const int valueAt = from + start.size();
    const int to = end.isEmpty() ? -1 : text.indexOf(end, valueAt, Qt::CaseInsensitive);
    return text.mid(valueAt, to < 0 ? -1 : to - valueAt).trimmed();
}

// Built-in rule: the word after the first "sn" followed by ":", "=", "." or a blank.
QString SnByBuiltInRule(const QString& reply) {
    static const QRegularExpression sn(QStringLiteral("sn[:=. ]"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = sn.match(reply);
    if (!m.hasMatch()) return QString("");
    int at = m.capturedEnd();
    while (at < reply.size() && (reply[at].isSpace() || QStringLiteral(":=").contains(reply[at])))
        ++at;
    int end = at;
    while (end < reply.size() && !reply[end].isSpace()) ++end;
    QString word = reply.mid(at, end - at);
    while (word.endsWith(QLatin1Char('.'))) word.chop(1);
    return word;
}

QRegularExpression Compile(const QString& pattern) {
    QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
    if (!re.isValid())
        throw RelvaneError(QStringLiteral("regex %1: %2").arg(pattern, re.errorString()));
    return re;
}

}  // namespace

UtilityComponent::UtilityComponent(QString programFolder, const SettingsStore* settings,
                                   QObject* parent)
    : QObject(parent), programFolder_(std::move(programFolder)), settings_(settings) {}

QString UtilityComponent::LogFolder() const {
    return programFolder_ + QStringLiteral("/Log");
}

QString UtilityComponent::ProgramFile(const QString& name) const {
    return programFolder_ + QLatin1Char('/') + name;
}

void UtilityComponent::CreateLog(const QString& logName) noexcept {
    try {
        QDir().mkpath(LogFolder());
        QFile file(LogFolder() + QLatin1Char('/') + logName + QStringLiteral(".log"));
        if (!file.exists()) file.open(QIODevice::WriteOnly | QIODevice::Append);
    } catch (...) {
    }
}

void UtilityComponent::WriteLog(const QString& logName, const QString& text) noexcept {
    try {
        QString line = text;
        line.replace(QLatin1String("\r\n"), QLatin1String(" "));
        line.replace(QLatin1Char('\n'), QLatin1Char(' '))
            .replace(QLatin1Char('\r'), QLatin1Char(' '));
        const QByteArray bytes =
            (NowStamp() + QLatin1Char(' ') + line + QLatin1Char('\n')).toUtf8();
        QDir().mkpath(LogFolder());
        // One unbuffered append per line: instances sharing a log never interleave a line.
        QFile file(LogFolder() + QLatin1Char('/') + logName + QStringLiteral(".log"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            file.write(bytes);
    } catch (...) {
    }
}

QString UtilityComponent::ReadIni(const QString& path, const QString& section,
                                  const QString& key) const {
    return IniFile::Read(path, section, key);
}

void UtilityComponent::WriteIni(const QString& path, const QString& section, const QString& key,
                                const QString& value) const {
    IniFile::Write(path, section, key, value);
}

QString UtilityComponent::Setting(const QString& key, const QString& defaultValue) const {
    if (settings_ == nullptr) return defaultValue;
    return settings_->GetSetting(Keys::kAppKzdSql, Keys::kSecSettings, key, defaultValue);
}

QString UtilityComponent::StockFromReply(const QString& reply, qint16 terminal) const {
    const QString start =
        Setting(Keys::PerTerminal(Keys::kSnAwalStok, terminal), Keys::kSnAwalStokDefault);
    const QString end =
        Setting(Keys::PerTerminal(Keys::kSnAkhirStok, terminal), Keys::kSnAkhirStokDefault);
    if (start.isEmpty()) return QString("");
    return Between(reply, start, end).value_or(QString(""));
}

QString UtilityComponent::SnFromReply(const QString& reply, qint16 terminal) const {
    // The plain pair first, then the pairs suffixed a/b, c/d, e/f, g/h, i/j.
    static const char* const kSuffixes[][2] = {{"", ""},   {"a", "b"}, {"c", "d"},
                                               {"e", "f"}, {"g", "h"}, {"i", "j"}};
    for (const auto& suffix : kSuffixes) {
        const QString start =
            Setting(Keys::PerTerminal(Keys::kSnAwal, terminal) + suffix[0], QString(""));
        if (start.isEmpty()) continue;
        const QString end =
            Setting(Keys::PerTerminal(Keys::kSnAkhir, terminal) + suffix[1], QString(""));
        if (auto sn = Between(reply, start, end)) return *sn;
    }
    return SnByBuiltInRule(reply);
}

int UtilityComponent::RandomIndex(int largest) const {
    if (largest <= 0) return 0;
    return static_cast<int>(QRandomGenerator::global()->bounded(largest + 1));
}

QString UtilityComponent::Decode(const QString& text, const QString& key) {
    return Shift(text, key, -1);
}

QString UtilityComponent::Encode(const QString& text, const QString& key) {
    return Shift(text, key, +1);
}

int UtilityComponent::SourceTerminal(const QString& transactionCode) {
    const QStringList fields = transactionCode.split(QLatin1Char('#'));
    if (fields.size() < 3) return 0;
    bool ok = false;
    const int terminal = fields[2].trimmed().toInt(&ok);
    return ok ? terminal : 0;
}

void UtilityComponent::PostToWindow(const QString& text) {
    WriteLog(QStringLiteral("debug"), text);
    emit Posted(text);
}

QString UtilityComponent::RegexFirstMatch(const QString& pattern, const QString& text) {
    const QRegularExpressionMatch m = Compile(pattern).match(text);
    return m.hasMatch() ? m.captured(0) : QString("");
}

QString UtilityComponent::RegexCapture(const QString& pattern, const QString& text) {
    const QRegularExpressionMatch m = Compile(pattern).match(text);
    return m.hasMatch() ? m.captured(1) : QString("");
}
