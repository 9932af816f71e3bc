#pragma once

#include <QString>
#include <exception>

#include "store/Context.h"
#include "store/Errors.h"

// How a guard ends on an error, called from its handler: a database error, or any error once
// the guard has begun to write, goes on (the unit fails and the job stays queued); any other
// error is the guard's default of letting the job pass. Logged as the routine's when log is
// set.
inline void GuardFailed(const Context& ctx, const QString& routine, bool writing, bool log,
                        const std::exception& e) {
    if (log) ctx.LogError(routine + QLatin1Char(' '), e);
    // Called from a handler: rethrows the error being handled.
    if (writing || dynamic_cast<const DbError*>(&e) != nullptr) throw;
}
