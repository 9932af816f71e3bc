#include <gtest/gtest.h>

#include <QLocale>

#include "ledger/MoneyText.h"

TEST(MoneyText, AmountsFollowTheNamedLocaleElseTheDefault) {
    const struct {
        const char* locale;  // RELVANE_AMOUNT_LOCALE; nullptr: unset
        qint64 amount;
        const char* text;
    } cases[] = {
        {"id_ID", 1234567, "1.234.567"},
        {"id_ID", -1500, "-1.500"},
        {"id_ID", 999, "999"},
        {"id_ID", 0, ""},
        {"en_US", 100000, "100,000"},
        {" id_ID ", 100000, "100.000"},  // blanks around the name
        {nullptr, 100000, "100,000"},    // unset: the default locale, grouped
        {"", 100000, "100,000"},
        {"xx_YY", 100000, "100,000"},  // unknown to Qt: as if unset
        {"C", 2500, "2,500"},
    };
    const QLocale before;
    QLocale::setDefault(QLocale::c());
    for (const auto& c : cases) {
        if (c.locale)
            qputenv("RELVANE_AMOUNT_LOCALE", c.locale);
        else
            qunsetenv("RELVANE_AMOUNT_LOCALE");
        EXPECT_EQ(FormatRibuan(c.amount), c.text)
            << (c.locale ? c.locale : "unset") << " " << c.amount;
    }
    qunsetenv("RELVANE_AMOUNT_LOCALE");
    QLocale::setDefault(QLocale(QLocale::Indonesian, QLocale::Indonesia));
    EXPECT_EQ(FormatRibuan(100000), "100.000");  // the process's own locale when unset
    QLocale::setDefault(before);
}
