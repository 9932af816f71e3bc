// relvane-screenshot DOCS_DIR: renders the window of a terminal logged in on the private
// servers (./run services start), its account frame, its settings panel and its menus into
// PNG files, without a display (QT_QPA_PLATFORM=offscreen). The window has the size and place
// it opens with on a terminal that has none stored: the pictures show what an operator sees.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include "Environment.h"
#include "Schema.h"
#include "chat/ChatSession.h"
#include "chat/PasswordScramble.h"
#include "controls/Controls.h"
#include "dispatch/Core.h"
#include "gui/MainWindow.h"
#include "store/Database.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"

namespace {

const QString kDatabase = QStringLiteral("relvane_screenshot");
constexpr int kTerminal = 12;

DbTarget Server(const QString& database) {
    DbTarget t;
    t.driver = QStringLiteral("QMYSQL");
    t.server = QStringLiteral("127.0.0.1");
    t.port = EnvOr("RELVANE_DB_PORT", "33061");
    t.uid = EnvOr("RELVANE_DB_USER", "relvane");
    t.password = EnvOr("RELVANE_DB_PASSWORD", "relvane");
    t.database = database;
    return t;
}

bool CreateDatabase() {
    Database admin(nullptr, QStringLiteral("shot-admin"));
    if (!admin.Open(Server(QString()))) return false;
    admin.Exec(QStringLiteral("DROP DATABASE IF EXISTS relvane_screenshot"));
    admin.Exec(QStringLiteral("CREATE DATABASE relvane_screenshot CHARACTER SET utf8mb4"));
    Database db(nullptr, QStringLiteral("shot-schema"));
    if (!db.Open(Server(kDatabase))) return false;
    for (const QString& s : SchemaStatements(QStringLiteral(RELVANE_SOURCE_DIR "/db/schema.sql")))
        db.Exec(s);
    db.Exec(QStringLiteral("INSERT INTO terminal (terminal, modul) VALUES (?, 'Relvane')"),
            {kTerminal});
    return true;
}

void Configure(const QString& home) {
    QFile ini(home + QStringLiteral("/Setting.ini"));
    if (ini.open(QIODevice::WriteOnly))
        ini.write(QStringLiteral("[Database]\nDriver=QMYSQL\nServer=127.0.0.1\nPort=%1\n"
                                 "Database=%2\nUID=%3\n")
                      .arg(Server(kDatabase).port, kDatabase, Server(kDatabase).uid)
                      .toUtf8());
    const QString domain = EnvOr("RELVANE_XMPP_DOMAIN", "localhost");
    const SettingsStore store;
    const auto save = [&](const char* stem, const QString& value) {
        store.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(stem, kTerminal),
                          value);
    };
    save(Keys::kUidHbv, QStringLiteral("terminal12@") + domain);
    save(Keys::kPwdHbv, PasswordScramble::ScrambleText(EnvOr("RELVANE_XMPP_PASSWORD", "relvane"),
                                                       Keys::kPasswordKey));
    save(Keys::kServerHbv, QStringLiteral("supplier12@") + domain);
    save(Keys::kServerHbv2,
         QStringLiteral("supplier12@") + domain + QStringLiteral(";supplier11@") + domain);
    save(Keys::kJHostname, QStringLiteral("127.0.0.1"));
    save(Keys::kJPort, EnvOr("RELVANE_XMPP_PORT", "52220"));
}

bool Save(QWidget& widget, const QString& file) {
    const bool ok = widget.grab().save(file);
    QTextStream(stdout) << (ok ? "wrote " : "could not write ") << file << Qt::endl;
    return ok;
}

void Wait(
    int ms, const std::function<bool()>& done = [] { return false; }) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms && !done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString docs = app.arguments().value(1, QStringLiteral("docs"));
    QDir().mkpath(docs);
    QTemporaryDir home, config;
    qputenv("RELVANE_CONFIG_DIR", config.path().toUtf8());
    try {
        if (!CreateDatabase()) {
            QTextStream(stderr) << "private MariaDB not reachable (./run services start)\n";
            return 1;
        }
        Configure(home.path());
        Core core(home.path());
        Controls controls(Controls::Terminal{core.Ctx(), core.Values(), core.Out(), core.Chat(),
                                             core.Life(), core.Dispatch(), core.In(), core.Extra(),
                                             core.SharedLookups(), core.Replies()});
        if (!core.FormLoad(QStringLiteral("Terminal #12@@Relvane@@1@@") +
                           Server(kDatabase).password))
            return 1;
        MainWindow window(controls.state, controls.actions, controls.panel, core.Out());
        window.ApplyPosition();
        window.show();
        Wait(15000, [&] { return core.Chat().LoggedIn(); });
        const QString domain = EnvOr("RELVANE_XMPP_DOMAIN", "localhost");
        core.Out().ShowMessageBlock(QStringLiteral("RLV Terminal #12,"),
                                    QStringLiteral("supplier12@") + domain, QStringLiteral("R001"),
                                    QStringLiteral("S10.081234567890.1234"), NowStamp(), 1);
        core.Out().ShowMessageBlock(
            QStringLiteral("RLV Terminal #12,"), QStringLiteral("supplier12@") + domain,
            QStringLiteral("supplier12@") + domain,
            QStringLiteral("SUKSES S10.081234567890.1234 SN:0419887766 STOK:812.."), NowStamp(), 2);
        Wait(300);
        bool ok = Save(window, docs + QStringLiteral("/window.png"));
        window.imgHeader_DblClick();
        Wait(200);
        ok = Save(window, docs + QStringLiteral("/account.png")) && ok;
        if (auto* frame = window.findChild<QWidget*>(QStringLiteral("FrmSetting"))) frame->hide();
        window.mSettingRLV_Click();
        Wait(200);
        ok = Save(window, docs + QStringLiteral("/settings.png")) && ok;
        QMenu& menu = window.PreparedMenu();
        menu.adjustSize();
        ok = Save(menu, docs + QStringLiteral("/menu.png")) && ok;
        window.ContactMenu().adjustSize();
        ok = Save(window.ContactMenu(), docs + QStringLiteral("/contact-menu.png")) && ok;
        core.FormUnload();
        Database admin(nullptr, QStringLiteral("shot-drop"));
        if (admin.Open(Server(QString())))
            admin.Exec(QStringLiteral("DROP DATABASE IF EXISTS relvane_screenshot"));
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        QTextStream(stderr) << Describe(e) << "\n";
        return 1;
    }
}
