#include "controls/WindowState.h"

#include "chat/ChatSession.h"
#include "chat/PasswordScramble.h"
#include "dispatch/DispatchLoop.h"
#include "dispatch/Intake.h"
#include "dispatch/Lifecycle.h"
#include "store/Convert.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

using namespace Keys;

WindowState::WindowState(Context ctx, ChatSession& chat, Lifecycle& life, DispatchLoop& dispatch,
                         Intake& intake, QObject* parent)
    : QObject(parent), ctx_(ctx), chat_(chat) {
    tmSendKeAne_.setInterval(1000);
    Timer3_.setInterval(2000);
    connect(&tmSendKeAne_, &QTimer::timeout, this, &WindowState::tmSendKeAne_Timer);
    connect(&Timer3_, &QTimer::timeout, this, &WindowState::Timer3_Timer);
    connect(&chat, &ChatSession::StateChanged, this, &WindowState::Refresh);
    connect(&life, &Lifecycle::Started, this, &WindowState::OnStarted);
    connect(&life, &Lifecycle::Unloading, this, [this] {
        tmSendKeAne_.stop();
        Timer3_.stop();
        SavePosition();
    });
    connect(&dispatch, &DispatchLoop::Busy, this, [this] {
        if (Take(LoginYMImage, 2)) emit Changed();
    });
    connect(&intake, &Intake::MessageTaken, this, [this] { idleCounter = -1; });
}

template <typename T>
bool WindowState::Take(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

void WindowState::Refresh() {
    const ProcessValues& v = ctx_.values;
    bool changed = false;
    changed |= Take(ID, v.ID);
    changed |= Take(Pass, PasswordScramble::UnscrambleText(v.PwdHbv, kPasswordKey));
    changed |= Take(LblTarget, v.LblTarget);
    changed |= Take(LblTarget2, v.LblTarget2);
    changed |= Take(lblServer, v.lblServer);
    changed |= Take(ExtraCommand, v.ExtraCommand);
    changed |= Take(FailureKeywordsText, v.FailureKeywordsText);
    changed |= Take(chMerger, v.chMerger);
    changed |= Take(CmdLoginYM, chat_.CmdLoginYM());
    changed |= Take(LoginInProgress, chat_.LoginInProgress());
    changed |= Take(StatusBar, chat_.StatusBar());
    changed |= Take(LoginYMBorder, chat_.LoginYMBorder());
    if (changed) emit Changed();
}

void WindowState::OnStarted() {
    const ProcessValues& v = ctx_.values;
    if (!v.ModuleName.isEmpty())
        Caption = QStringLiteral("[") + v.ModuleName + QStringLiteral("] ") +
                  QString::number(v.TerminalNo) + QStringLiteral("-> ") + v.LblTarget;
    LoginYMImage = 2;
    LoadPosition();
    Refresh();
    emit Changed();
    tmSendKeAne_.start();
    Timer3_.start();
}

void WindowState::LoadPosition() {
    const QString& app = ctx_.values.TerminalName;
    if (app.isEmpty()) return;
    const auto read = [&](const char* key, const char* def) {
        return Convert::ToInt32(ctx_.settings.GetSetting(app, kSecSetting, key, def));
    };
    MainLeft = read(kMainLeft, "1000");
    MainTop = read(kMainTop, "1000");
    MainWidth = read(kMainWidth, "5820");
    MainHeight = read(kMainHeight, "5385");
}

void WindowState::SavePosition() {
    // Headless there is no window: the stored position stays as it was.
    const QString& app = ctx_.values.TerminalName;
    if (!WindowShown || Minimized || app.isEmpty()) return;
    try {
        const SettingsStore& st = ctx_.settings;
        st.SaveSetting(app, kSecSetting, kMainLeft, QString::number(MainLeft));
        st.SaveSetting(app, kSecSetting, kMainTop, QString::number(MainTop));
        st.SaveSetting(app, kSecSetting, kMainWidth, QString::number(MainWidth));
        st.SaveSetting(app, kSecSetting, kMainHeight, QString::number(MainHeight));
        st.SaveSetting(app, kSecSetting, kMainMaximized,
                       Maximized ? QStringLiteral("Yes") : QStringLiteral("No"));
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("Form_Unload "), e);
    }
}

QString WindowState::CounterText(int c) {
    return QStringLiteral("%1:%2:%3:%4")
        .arg(c / 10 / 3600)
        .arg((c / 10 / 60) % 60)
        .arg((c / 10) % 60)
        .arg(c % 10);
}

void WindowState::tmSendKeAne_Timer() {
    if (ctx_.values.BoosterMode == 1) return;
    idleCounter += 1;
    if (Take(lblCounter, CounterText(idleCounter))) emit Changed();
    if (lblCounter == QLatin1String("0:2:0:0")) idleCounter = -1;
}

void WindowState::Timer3_Timer() {
    if (Take(LoginYMImage, 1)) emit Changed();
}
