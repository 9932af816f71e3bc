#include "Schema.h"

#include <QFile>

QStringList SchemaStatements(const QString& schemaFile) {
    QFile file(schemaFile);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList statements;
    QString current;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("--"))) continue;
        current += line + QLatin1Char('\n');
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            statements.append(current.trimmed());
            current.clear();
        }
    }
    return statements;
}
