#pragma once

#include "dispatch/Guards.h"
#include "dispatch/MoneyGuards.h"
#include "ledger/Deposits.h"
#include "ledger/Ledger.h"
#include "ledger/Prices.h"
#include "ledger/Rebates.h"
#include "ledger/WaitingRecord.h"
#include "queue/JobQueue.h"
#include "queue/MessageTables.h"
#include "queue/SenderSelection.h"
#include "routing/Rerouting.h"
#include "routing/TerminalChoice.h"
#include "settlement/BillCapture.h"
#include "settlement/PriceUpdate.h"
#include "settlement/PromoAndNotices.h"
#include "settlement/ReplyClassifier.h"
#include "settlement/Settlement.h"
#include "settlement/SettlementMessage.h"
#include "settlement/SettlementRows.h"
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
          terminalChoice(ctx),
          rerouting(ctx, messages, terminalChoice),
          settlementRows(ctx),
          settlementMessage(settlementRows, classifier),
          settlement(ctx,
                     {lookups, prices, deposits, ledger, rebates, waiting, classifier, priceUpdate,
                      bills, promo, messages, rerouting, settlementRows, settlementMessage}),
          money(ctx, lookups, prices, messages),
          guards(ctx, {jobs, messages, rerouting, waiting, settlement, money}) {}
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
    TerminalChoice terminalChoice;
    Rerouting rerouting;
    SettlementRows settlementRows;
    SettlementMessage settlementMessage;
    Settlement settlement;
    MoneyGuards money;
    Guards guards;
};
