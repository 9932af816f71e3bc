#include "store/ProgramFiles.h"

#include <QFile>

#include "store/IniFile.h"
#include "store/SettingsKeys.h"
#include "store/UtilityComponent.h"

namespace ProgramFiles {

QString ReadOpcode(const UtilityComponent& util, const QString& section, const QString& key) {
    return util.ReadIni(util.ProgramFile(Keys::kOpcodeIni), section, key);
}

QString ReadModulRules(const UtilityComponent& util) {
    QFile file(util.ProgramFile(Keys::kModulTxt));
    if (!file.open(QIODevice::ReadOnly)) return QString("");
    QString rules;
    for (const QString& line : IniFile::DecodeText(file.readAll()).split(QLatin1Char('\n'))) {
        QString kept = line;
        if (kept.endsWith(QLatin1Char('\r'))) kept.chop(1);
        if (!kept.trimmed().isEmpty()) rules += kept + QStringLiteral("%|%");
    }
    return rules.toLower();
}

void WriteSetLog(const UtilityComponent& util, const QString& module, const QString& value,
                 qint16 node) {
    util.WriteIni(util.ProgramFile(Keys::kSetLog), module, QString::number(node), value);
}

}  // namespace ProgramFiles
