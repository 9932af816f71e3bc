#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "store/Context.h"

// Which terminal takes a re-routed order: candidates from the routing table or from the
// product's active terminals, chosen at random, by least use today or by priority level. An
// order a guard moves never goes back to the terminal it came from: avoid names that terminal,
// 0 for none.
class TerminalChoice {
  public:
    explicit TerminalChoice(Context ctx) : ctx_(ctx) {}

    // The ";"-joined terminals without the chat and modem modules, when that filter is on.
    QString SeleksiTerminalChip(const QString& terminals);
    QString RandomTerminalAlih(const QString& kdProduk, const QString& terminals, int avoid = 0);
    QString PilihTerminalProduk(const QString& aProduk, int avoid = 0);
    QString PilihTerminalTersepi(const QString& kdProduk, const QString& terminals, int avoid = 0);
    QString PilihTerminalPrioritas(const QString& kdProduk, const QString& terminals,
                                   int avoid = 0);

    // The priority level the next search starts at: 1 at start-up.
    int PrioritasAktif() const { return prioritasAktif_; }

    // Entries of a ";"-joined list; the empty text has none.
    static QStringList Entries(const QString& terminals);
    // The terminal an entry names; none for a text that is not a whole number.
    static std::optional<int> TerminalNumber(const QString& entry);

  private:
    // The terminals of the list that may serve the product and have it active (at the given
    // priority level when one is given), in the list's order.
    QStringList Qualifying(const QString& kdProduk, const QString& terminals,
                           std::optional<int> prioritas, int avoid);
    // Among kept terminals, the first with no order for the product today, else the one with
    // the fewest; empty when none is kept.
    QString LeastUsedToday(const QString& kdProduk, const QStringList& kept);
    QString RandomEntry(const QString& terminals) const;

    Context ctx_;
    int prioritasAktif_ = 1;
};
