#pragma once

#include "store/Database.h"

// Connection details of the benchmark database on the private MariaDB (./run services start),
// created from db/schema.sql when missing.
DbTarget BenchTarget(const QString& driver);

// Drops the database `name` when it exists and makes it again, empty, from db/schema.sql, as
// the current database of `admin`.
void RecreateBenchDatabase(Database& admin, const QString& name);

// A program folder's Setting.ini naming database `name` of the target, native driver.
void WriteBenchSettingIni(const QString& folder, const DbTarget& target, const QString& name);
