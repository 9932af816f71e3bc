#pragma once

#include "store/Database.h"

// Connection details of the benchmark database on the private MariaDB (./run services start),
// created from db/schema.sql when missing.
DbTarget BenchTarget(const QString& driver);
