#include <QTemporaryDir>
#include <QTextCodec>

#include "app/RegistryImport.h"
#include "support/TestTools.h"

namespace {

const QString kRoot = QStringLiteral("[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\");

RegistryImport Import(const QByteArray& bytes) {
    QTemporaryDir dir;
    WriteFile(dir.filePath("settings.reg"), bytes);
    RegistryImport reg;
    EXPECT_TRUE(reg.Read(dir.filePath("settings.reg"))) << reg.Error().toStdString();
    return reg;
}

QStringList Taken(const RegistryImport& reg) {
    QStringList all;
    for (const RegistryImport::Value& v : reg.Values())
        all.append(v.application + '|' + v.section + '|' + v.key + '=' + v.value);
    return all;
}

}  // namespace

// As the registry editor writes it: UTF-16 with a byte-order mark and CR LF; only string values
// of application\section keys are taken, the rest is reported.
TEST(RegistryImport, Utf16ExportTakesStringValuesAndReportsTheRest) {
    const QStringList lines = {
        "Windows Registry Editor Version 5.00",
        "",
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Notepad]",
        "\"lfFaceName\"=\"Consolas\"",
        "",
        kRoot + "hbv-gate\\Setting]",
        "@=\"\"",
        "\"UID HBV #5\"=\"terminal5@localhost\"",
        "\"MSG IGNORE #5\"=\"say \\\"wait\\\";C:\\\\antri\\\\\"",
        "\"jPORT #5\"=dword:0000146c",
        "\"Logo\"=hex:01,02,\\",
        "  03,04",
        "\"Note\"=\"line one",
        "line two\"",
        "",
        kRoot + "hbv-gate\\Setting\\Old]",
        "\"UID HBV #5\"=\"old@localhost\"",
        "",
        kRoot + "Terminal #5\\Setting]",
        "\"MainLeft\"=\"1200\"",
    };
    const QString text = lines.join("\r\n");
    const RegistryImport reg =
        Import("\xFF\xFE" + QTextCodec::codecForName("UTF-16LE")->fromUnicode(text));
    EXPECT_EQ(Taken(reg), (QStringList{"HBV-Gate|Setting|UID HBV #5=terminal5@localhost",
                                       "HBV-Gate|Setting|MSG IGNORE #5=say \"wait\";C:\\antri\\",
                                       "HBV-Gate|Setting|Note=line one\r\nline two",
                                       "Terminal #5|Setting|MainLeft=1200"}));
    EXPECT_EQ(reg.Skipped(),
              (QStringList{"hbv-gate\\Setting\\(default): default value",
                           "hbv-gate\\Setting\\jPORT #5: dword", "hbv-gate\\Setting\\Logo: hex",
                           "hbv-gate\\Setting\\Old: key deeper than application\\section"}));
    EXPECT_EQ(reg.KeysOutside(), 1);
}

// Files as careless tools leave them: every byte is read, a value that cannot be read is
// listed by name and takes nothing after it along, and the encoding comes from the bytes.
TEST(RegistryImport, DamagedAndResavedExportsLoseNothingUnseen) {
    const QByteArray v5 =
        "Windows Registry Editor Version 5.00\r\n\r\n" + kRoot.toLatin1() + "App\\Sec]\r\n";
    const struct {
        QByteArray bytes;
        QStringList taken;
        QStringList skipped;
    } cases[] = {
        {v5 + "\"A\"=\"x" + QByteArray(1, '\0') + "y\"\r\n\"B\"=\"kept\"\r\n",
         {QString("App|Sec|A=x") + QChar(0) + "y", "App|Sec|B=kept"},
         {}},
        {v5 + "\"A\"=\"C:\\\"\r\n\"B\"=\"kept\"\r\n",
         {"App|Sec|B=kept"},
         {"App\\Sec\\A: string without its end"}},
        {v5 + "\"Logo\"=hex:01,02,\\\r\n\"B\"=\"kept\"\r\n",
         {"App|Sec|B=kept"},
         {"App\\Sec\\Logo: hex"}},
        {v5 + "\"A\"=\"x\" y\r\n\"B\"=\"kept\"\r\n",
         {"App|Sec|B=kept"},
         {"App\\Sec\\A: unreadable value"}},
        {v5 + "\"[A\"=\"x\"\r\n", {}, {"App\\Sec\\[A: name unusable in an INI file"}},
        {v5 + "\"A\"=\"caf\xE9\"\r\n", {QString::fromUtf8("App|Sec|A=caf\u00E9")}, {}},
        {"\xEF\xBB\xBFREGEDIT4\r\n" + kRoot.toLatin1() + "App\\Sec]\r\n\"A\"=\"caf\xC3\xA9\"\r\n",
         {QString::fromUtf8("App|Sec|A=caf\u00E9")},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        const RegistryImport reg = Import(c.bytes);
        EXPECT_EQ(Taken(reg), c.taken);
        EXPECT_EQ(reg.Skipped(), c.skipped);
        // a value that could not be read counts; a type that is never taken does not
        EXPECT_EQ(reg.Unreadable(), c.skipped.size() - (c.skipped.join("").endsWith("hex")));
    }
}

TEST(RegistryImport, EndlessAndHugeFilesAreRefused) {
    RegistryImport reg;
    EXPECT_FALSE(reg.Read("/dev/zero"));
    EXPECT_EQ(reg.Error(), "/dev/zero is larger than 64 MB: not a settings export");
}
