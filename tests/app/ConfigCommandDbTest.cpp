// `relvane config set` of keys that change rows, against the database of the program folder.
#include <QTemporaryFile>

#include "settlement/ReplyClassifier.h"
#include "support/TerminalFixture.h"
#include "support/TestTools.h"

namespace {

class ConfigCommandDbTest : public TerminalTest {
  protected:
    // `relvane config --home HOME set ...` with the database password in a file, as a
    // terminal's service gets it.
    Ran Set(const QStringList& args, const QString& password = TestServers::DbPassword()) {
        QTemporaryFile secret;
        EXPECT_TRUE(secret.open() && secret.write(password.toUtf8() + "\n") > 0 && secret.flush());
        const Ran ran = RunRelvane(QStringList{"config", "--home", Home(), "set"} + args,
                                   {"RELVANE_DB_PASSWORD_FILE=" + secret.fileName()});
        return {ran.status, ran.out.trimmed(), ran.err.trimmed()};
    }
    QStringList Failures() {
        return Column(
            "select katakunci from balasan where jenis='ERROR' and biaya=0 and "
            "balasan=? order by id",
            {ReplyClassifier::DefaultFailureTemplate()});
    }
    QString Stored(const char* app, const QString& section, const QString& key) {
        return Settings().GetSetting(app, section, key, "<unset>");
    }
};

}  // namespace

// The keyword rows are written before the key is stored: nothing is stored without them.
TEST_F(ConfigCommandDbTest, RerouteKeywordsGetTheirFailureRepliesAsThePanelAddsThem) {
    const QString value = "Stok Habis; kode 'salah';gangguan";
    const Ran refused = Set({"kzd_sql", "Settings", "Pintar25", value}, "wrong password");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(
        refused.err.contains("cannot open the database named in " + Home() + "/Setting.ini"))
        << refused.err.toStdString();
    EXPECT_EQ(Stored("kzd_sql", "Settings", "Pintar25"), "<unset>");
    EXPECT_TRUE(Failures().isEmpty());

    Insert("balasan", {{"katakunci", "gangguan"}, {"balasan", "x"}, {"jenis", "GAGAL"}});
    const Ran o = Set({"kzd_sql", "Settings", "Pintar25", value});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(o.out, "wrote " + Settings().FileOf("kzd_sql"));
    EXPECT_EQ(Failures(), QStringList({"Stok Habis", " kode 'salah'"}));
    EXPECT_EQ(Stored("kzd_sql", "Settings", "Pintar25"), value);
    // a keyword already there is not added twice
    EXPECT_EQ(Set({"kzd_sql", "Settings", "Pintar26", "stok habis;baru"}).status, 0);
    EXPECT_EQ(Failures(), QStringList({"Stok Habis", " kode 'salah'", "baru"}));
}

TEST_F(ConfigCommandDbTest, SupplierEntryWritesItsMethodCodeAndNoneIsOnlyStored) {
    Rows("parsing", "kode_produk,terminal,method", {{"S5", 5, "DOMPUL"}, {"S5", 3, "X"}});
    const QString methods = "select group_concat(method order by id) from parsing";
    EXPECT_EQ(Set({"NXEngine", "Terminal #5", "Method", "Mobo Indosat"}).status, 0);
    EXPECT_EQ(Scalar(methods), "M0BO,X");
    const Ran none = Set({"NXEngine", "Terminal #5", "Method", "None"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.err, "warning: Supplier tidak boleh Terisi 'None'");
    EXPECT_EQ(Scalar(methods), "M0BO,X");
    EXPECT_EQ(Stored("NXEngine", "Terminal #5", "Method"), "None");
}
