#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Outcome {
    int status;
    QString out;
    QString err;
};

class ConfigCommandTest : public ::testing::Test {
  protected:
    Outcome Run(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("RELVANE_CONFIG_DIR", dir_.path());
        p.setProcessEnvironment(env);
        p.start(RELVANE_BINARY, QStringList{"config"} + args);
        p.waitForFinished(10000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
                QString::fromUtf8(p.readAllStandardError()).trimmed()};
    }
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(ConfigCommandTest, SetThenGetAChatAccount) {
    EXPECT_EQ(Run({"set", "HBV-Gate", "Setting", "SERVER HBV #5", "supplier1@localhost"}).status,
              0);
    const Outcome got = Run({"get", "HBV-Gate", "Setting", "SERVER HBV #5"});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, "supplier1@localhost");
    EXPECT_EQ(Run({"get", "HBV-Gate", "Setting", "SERVER HBV #6"}).out, "");  // default: empty
    const Outcome listed = Run({"list", "HBV-Gate"});
    EXPECT_TRUE(listed.out.contains("[Setting]\nSERVER HBV #5=supplier1@localhost"))
        << listed.out.toStdString();
}

TEST_F(ConfigCommandTest, GetPrintsDefaultsAndFailsOnUnknownKeys) {
    EXPECT_EQ(Run({"get", "HBV-Gate", "Setting", "jPORT #5"}).out, "5222");
    EXPECT_EQ(Run({"get", "kzd_sql", "Rebat", "Prioritas"}).out, "1");
    const Outcome unknown = Run({"get", "HBV-Gate", "Setting", "NoSuchKey"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(unknown.err.contains("NoSuchKey"));
    EXPECT_EQ(Run({"frobnicate"}).status, 2);
}

TEST_F(ConfigCommandTest, SetKeepsALineBreakInsideTheValue) {
    const QString value = "stok habis\n[Rebat]\nsetQueue=1";
    EXPECT_EQ(Run({"set", "kzd_sql", "Settings", "Pintar25", value}).status, 0);
    EXPECT_EQ(Run({"get", "kzd_sql", "Settings", "Pintar25"}).out, value);
    EXPECT_EQ(Run({"get", "kzd_sql", "Rebat", "setQueue"}).out, "0");  // still the default
    // listed on one line, in the form it is stored in
    EXPECT_TRUE(
        Run({"list", "kzd_sql"}).out.contains("Pintar25=$\"stok habis\\n[Rebat]\\nsetQueue=1\""));
    const Outcome refused = Run({"set", "kzd_sql", "Settings", "x\n[Rebat]\nsetQueue", "1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(Run({"get", "kzd_sql", "Rebat", "setQueue"}).out, "0");
}
