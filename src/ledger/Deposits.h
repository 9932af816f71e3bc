#pragma once

#include <QString>

#include "store/Context.h"

// Deposit movements of resellers.
class Deposits {
  public:
    explicit Deposits(Context ctx) : ctx_(ctx) {}

    // Moves the deposit at the database ("-": down, any other sign: up) and returns the
    // deposit it leaves; an amount that would leave the 32-bit range raises "Overflow".
    qint32 UpdateDeposit(const QString& kdReseller, qint32 amount, const QString& sign);

  private:
    Context ctx_;
};
