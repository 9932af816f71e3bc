#pragma once

#include <QString>

class UtilityComponent;

// The files beside the program other than Setting.ini's database section: opcode.ini, the
// administrator rules in Log/Modul.txt and the instance record in Log/Set.log.
namespace ProgramFiles {

QString ReadOpcode(const UtilityComponent& util, const QString& section, const QString& key);

// Every non-blank line of Log/Modul.txt followed by "%|%", joined and lower-cased; empty when
// the file is missing or unreadable.
QString ReadModulRules(const UtilityComponent& util);

// Log/Set.log: section = module, key = node number, value = terminal name or "NC".
void WriteSetLog(const UtilityComponent& util, const QString& module, const QString& value,
                 qint16 node);

}  // namespace ProgramFiles
