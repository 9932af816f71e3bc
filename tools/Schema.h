#pragma once

#include <QStringList>

// The statements of db/schema.sql, one per entry, comments left out.
QStringList SchemaStatements(const QString& schemaFile);
