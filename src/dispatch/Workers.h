#pragma once

#include "dispatch/Guards.h"
#include "ledger/Deposits.h"
#include "ledger/Ledger.h"
#include "ledger/Prices.h"
#include "ledger/Rebates.h"
#include "ledger/WaitingRecord.h"
#include "queue/JobQueue.h"
#include "queue/MessageTables.h"
#include "queue/SenderSelection.h"
#include "routing/Rerouting.h"
#include "settlement/BillCapture.h"
#include "settlement/PriceUpdate.h"
#include "settlement/PromoAndNotices.h"
#include "settlement/ReplyClassifier.h"
#include "settlement/Settlement.h"
#include "store/Context.h"
#include "store/Lookups.h"

class Output;

// One of each worker on the shared database, wired to the few others each one calls. The
// running terminal owns one set for the whole run; out is its log view.
struct Workers {
    Workers(Context ctx, Output& out)
        : jobs(ctx),
          senders(ctx, jobs),
          lookups(ctx),
          messages(ctx, lookups, senders),
          prices(ctx),
          deposits(ctx),
          ledger(ctx, deposits),
          rebates(ctx, prices, ledger),
          waiting(ctx, prices, deposits, ledger, messages),
          classifier(ctx),
          priceUpdate(ctx, prices),
          bills(ctx, out),
          promo(ctx, lookups, messages, ledger),
          rerouting(ctx, messages),
          settlement(ctx, {lookups, prices, deposits, ledger, rebates, waiting, classifier,
                           priceUpdate, bills, promo, messages, rerouting}),
          guards(ctx, {jobs, lookups, prices, messages, rerouting, waiting, settlement}) {}
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    JobQueue jobs;
    SenderSelection senders;
    Lookups lookups;
    MessageTables messages;
    Prices prices;
    Deposits deposits;
    Ledger ledger;
    Rebates rebates;
    WaitingRecord waiting;
    ReplyClassifier classifier;
    PriceUpdate priceUpdate;
    BillCapture bills;
    PromoAndNotices promo;
    Rerouting rerouting;
    Settlement settlement;
    Guards guards;
};
