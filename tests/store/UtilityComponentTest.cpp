#include <QTemporaryDir>

#include "store/Errors.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"
#include "support/TestTools.h"

namespace {

class UtilityTest : public ::testing::Test {
  protected:
    UtilityTest() : settings_(config_.path()), util_(home_.path(), &settings_) {}

    void Marker(const QString& key, const QString& value) {
        settings_.SaveSetting("kzd_sql", "Settings", key, value);
    }
    QStringList LogLines(const QString& name) const {
        QFile f(home_.path() + "/Log/" + name + ".log");
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir home_, config_;
    SettingsStore settings_;
    UtilityComponent util_;
};

const QString kKey = QStringLiteral("kvrtn7302");

}  // namespace

TEST_F(UtilityTest, LogLinesCarryStampAndStayOneLinePerCall) {
    util_.CreateLog("Terminal #5");
    EXPECT_TRUE(QFile::exists(home_.path() + "/Log/Terminal #5.log"));
    util_.WriteLog("Terminal #5", "InsertToInbox gone away");
    util_.WriteLog("Terminal #5", "reply\r\nwith\nbreaks");
    const QStringList lines = LogLines("Terminal #5");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_THAT(lines[0],
                MatchesRe("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d InsertToInbox gone away$"));
    EXPECT_TRUE(lines[1].endsWith(" reply with breaks"));
}

TEST_F(UtilityTest, FailingLogWriteNeverRaises) {
    WriteFile(home_.path() + "/Log", "");  // a file where the folder should be
    EXPECT_NO_THROW(util_.CreateLog("db"));
    EXPECT_NO_THROW(util_.WriteLog("db", "Konek RLV refused"));
}

TEST_F(UtilityTest, EncodingFollowsTheShiftFormula) {
    // 'A'(65) with 'k'(107): 32 + ((65-32) + (107-32)) mod 95 = 32 + 13 = '-'
    EXPECT_EQ(UtilityComponent::Encode("A", kKey), "-");
    // decoding below the range wraps around: 32 + ((45-32) - 75) mod 95 = 32 + 33 = 'A'
    EXPECT_EQ(UtilityComponent::Decode("-", kKey), "A");
}

TEST_F(UtilityTest, SnFromConfiguredMarkerPairs) {
    Marker("SNAwal #5", "Ref:");
    Marker("SNAkhir #5", "/");
    Marker("SNAwal #5c", "Token ");
    Marker("SNAkhir #5d", " Sisa");
    EXPECT_EQ(util_.SnFromReply("TRX sukses. Ref: 0411ABC /saldo 10.000", 5), "0411ABC");
    // the first pair's start marker is absent, so the c/d pair applies
    EXPECT_EQ(util_.SnFromReply("PLN sukses Token 1234-5678-9012 Sisa 50.000", 5),
              "1234-5678-9012");
    // markers of terminal 5 are not those of terminal 6: the built-in rule applies there
    EXPECT_EQ(util_.SnFromReply("Ref: 0411ABC / SN: 998877.", 6), "998877");
}

TEST_F(UtilityTest, SnBuiltInRule) {
    EXPECT_EQ(util_.SnFromReply("Isi 5rb ke 0812 SUKSES SN:123456789. Saldo 1.000", 1),
              "123456789");
    EXPECT_EQ(util_.SnFromReply("sukses sn = 77AB88 harga 5.100", 1), "77AB88");
    EXPECT_EQ(util_.SnFromReply("sukses Sn 55", 1), "55");
    EXPECT_EQ(util_.SnFromReply("GAGAL nomor salah", 1), "");
    EXPECT_EQ(util_.SnFromReply("sukses SN: ", 1), "");
}

TEST_F(UtilityTest, StockWithDefaultAndConfiguredMarkers) {
    EXPECT_EQ(util_.StockFromReply("sukses SN:1 k=150. lanjut", 2), "150");
    EXPECT_EQ(util_.StockFromReply("sukses SN:1 tanpa stok", 2), "");
    Marker("SNAwalStok #2", "Stok:");
    Marker("SNAkhirStok #2", "unit");
    EXPECT_EQ(util_.StockFromReply("OK Stok: 1.250 unit", 2), "1.250");
}

TEST_F(UtilityTest, SourceTerminalIsTheThirdField) {
    EXPECT_EQ(UtilityComponent::SourceTerminal("150#TRX991#7"), 7);
    EXPECT_EQ(UtilityComponent::SourceTerminal("0#TRX991#12#x"), 12);
    EXPECT_EQ(UtilityComponent::SourceTerminal("0#TRX991"), 0);
    EXPECT_EQ(UtilityComponent::SourceTerminal("0#TRX991#abc"), 0);
}

TEST_F(UtilityTest, RegexIsCaseInsensitive) {
    EXPECT_EQ(UtilityComponent::RegexFirstMatch("\\bidpel\\b", "Cek IDPEL 5123"), "IDPEL");
    EXPECT_EQ(UtilityComponent::RegexCapture("harga\\s*(\\d+)", "HARGA 5100 ok"), "5100");
    EXPECT_EQ(UtilityComponent::RegexCapture("harga (\\d+?)x", "tanpa"), "");
    EXPECT_THROW(UtilityComponent::RegexFirstMatch("(unclosed", "x"), RelvaneError);
}
