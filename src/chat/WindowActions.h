#pragma once

#include <QObject>
#include <QString>

class Core;

// What the window's clicks do, kept in the core so that a headless terminal does the same:
// the extra command, picking another target, the log file, the account frame's values, the
// chat host and port, the merger switch and the menu's check marks.
class WindowActions : public QObject {
    Q_OBJECT
  public:
    explicit WindowActions(Core& core, QObject* parent = nullptr);

    // Sends the extra command to the supplier (run on connect and when the booster starts).
    void ImgExtraCommand_Click();
    // Another backup target as the main target (it may stay the same).
    void PickRandomTarget();
    // The terminal's own log file.
    QString LogFile() const;

    struct Account {
        QString user, pass, target, target2, ignore;
    };
    // The account frame's fields from the store; the ignore list takes effect at once.
    Account imgHeader_DblClick();

    // The chat host ("NC": the account's own domain) and port, saved as typed.
    void SaveChatHost(const QString& host);
    void SaveChatPort(const QString& port);
    QString StoredChatPort() const;

    enum class Merger { Saved, Cancelled, WrongCode };
    // The merger switch; switching it on needs the access code (cancelled: null code).
    Merger chMerger_Click(bool ticked, const QString& code);

    // Check marks of the log view's menu, from the stored switches.
    struct MenuChecks {
        bool autoLogin = true, booster = false, trxId = false;
    };
    MenuChecks StoredMenuChecks() const;

  private:
    QString Setting(const char* stem, const char* defaultValue) const;

    Core& core_;
};
