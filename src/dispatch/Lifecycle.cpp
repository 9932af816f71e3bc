#include "dispatch/Lifecycle.h"

#include "chat/ChatSession.h"
#include "chat/MonitorSocket.h"
#include "chat/YmQueue.h"
#include "dispatch/DispatchLoop.h"
#include "queue/MessageTables.h"
#include "store/ConnectDatabase.h"
#include "store/Convert.h"
#include "store/Database.h"
#include "store/Lookups.h"
#include "store/Output.h"
#include "store/ProcessValuesLoader.h"
#include "store/ProgramFiles.h"

Lifecycle::Lifecycle(Context ctx, Output& out, Collaborators with, QObject* parent)
    : QObject(parent), ctx_(ctx), out_(out), w_(with) {
    tmClose_.setInterval(1000);
    tmClose_.setTimerType(Qt::PreciseTimer);
    connect(&tmClose_, &QTimer::timeout, this, &Lifecycle::tmClose_Timer);
    closePhase_.setSingleShot(true);
    closePhase_.setTimerType(Qt::PreciseTimer);
    connect(&closePhase_, &QTimer::timeout, &tmClose_, [this] { tmClose_.start(); });
}

void Lifecycle::End(int exitCode) {
    exitCode_ = exitCode;
    emit Finished(exitCode);
}

bool Lifecycle::Form_Load(const QString& commandLine) {
    const QStringList fields = commandLine.split(QStringLiteral("@@"));
    // Errors before the settings are loaded already belong in the terminal's own log.
    if (fields.size() > 1) w_.loader.Name(fields[0]);
    try {
        // A host line without a password takes it from RELVANE_DB_PASSWORD_FILE; "Reserved"
        // needs none.
        const QString password =
            fields.size() > 1 ? DatabasePassword(fields.value(3)) : QString("");
        ConnectDatabase(ctx_.util, ctx_.db, password);
        w_.loader.Database(password, ctx_.db.Target().database);
        w_.monitor.InitMonitorSocket();
    } catch (const std::exception& e) {
        const auto* db = dynamic_cast<const DbError*>(&e);
        out_.MessageBox(QStringLiteral("HOME") + (db ? db->Code() : QString()), Describe(e));
        exitCode_ = 1;
        return false;
    }
    if (commandLine.trimmed() == QLatin1String("Reserved")) {
        exitCode_ = 0;
        return false;
    }
    if (commandLine.contains(QStringLiteral("@@"))) {
        if (fields.value(1) !=
            QLatin1String("Relvane")) {  // another module's instance: quietly end
            exitCode_ = 0;
            return false;
        }
        try {
            const QString module = fields.value(1);
            const QString terminal = fields.value(0);
            const qint16 node = Convert::ToInt16(fields.value(2));
            w_.loader.LoadSettings(module, terminal, node);
            w_.monitor.KirimData(QStringLiteral("NODE@=") + QString::number(node) +
                                 QStringLiteral("@=True"));
            w_.ym.DelPesanExpired();
            w_.chat.StartLoginTimer();
            ctx_.util.CreateLog(terminal);
            CatatSetLog(module, terminal, node);
        } catch (const std::exception& e) {
            out_.MessageBox(QStringLiteral("Informasi"),
                            QStringLiteral("Terjadi Error Proses Get data ") + Describe(e));
            exitCode_ = 1;
            return false;
        }
    }
    w_.loader.LoadModulRules();
    w_.dispatch.Start();
    // The close check reads the terminal table once a second: half a second from the
    // terminal's dispatch tick, so that terminals started together read it apart.
    closePhase_.start((DispatchLoop::PhaseMs(ctx_.values.TerminalNo) + 500) % 1000);
    emit Started();
    return true;
}

void Lifecycle::CatatSetLog(const QString& module, const QString& value, qint16 node) {
    ProgramFiles::WriteSetLog(ctx_.util, module, value, node);
}

QString Lifecycle::CekTutup() {
    try {
        return w_.lookups.CloseMark(ctx_.values.TerminalNo);
    } catch (const std::exception&) {
        return QString("");
    }
}

void Lifecycle::tmClose_Timer() {
    if (CekTutup() == QLatin1String("NC")) Form_Unload();
}

void Lifecycle::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    const ProcessValues& v = ctx_.values;
    auto quietly = [](auto step) {
        try {
            step();
        } catch (...) {
        }
    };
    w_.dispatch.Stop();
    closePhase_.stop();
    tmClose_.stop();
    quietly([&] { emit Unloading(); });
    // A database that is away or hangs cannot take the mark (each statement gives up after the
    // connection's timeout): the log says so, and shutdown goes on.
    try {
        w_.messages.OnOffTerminal(QStringLiteral("Relvane"), v.TerminalNo, false);
    } catch (const std::exception& e) {
        quietly([&] {
            ctx_.util.WriteLog(v.TerminalName,
                               QStringLiteral("Terminal %1 could not be marked off in table "
                                              "terminal: %2")
                                   .arg(v.TerminalNo)
                                   .arg(Describe(e)));
        });
    }
    quietly([&] {
        w_.monitor.KirimData(QStringLiteral("NODE@=") + QString::number(v.NodeNo) +
                             QStringLiteral("@=False"));
    });
    quietly([&] { CatatSetLog(QStringLiteral("Relvane"), QStringLiteral("NC"), v.NodeNo); });
    quietly([&] { w_.monitor.Close(); });
    quietly([&] { ctx_.db.Close(); });
    quietly([&] { w_.chat.Disconnect(); });
    End(0);
}
