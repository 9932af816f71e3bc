#pragma once

#include <QString>
#include <stdexcept>

// Base of the errors this program raises itself; routines with a handler catch
// std::exception, log "<routine> <context><description>" and return their default.
class RelvaneError : public std::runtime_error {
  public:
    explicit RelvaneError(const QString& description)
        : std::runtime_error(description.toStdString()), description_(description) {}
    const QString& Description() const { return description_; }

  private:
    QString description_;
};

// A statement failed; carries the driver's description and the server's error code.
class DbError : public RelvaneError {
  public:
    explicit DbError(const QString& description, QString code = QString(),
                     bool connectionLost = false)
        : RelvaneError(description), code_(std::move(code)), connectionLost_(connectionLost) {}
    const QString& Code() const { return code_; }
    // The connection dropped before the statement could finish: its outcome is unknown, and
    // any transaction it was part of is gone with the connection.
    bool ConnectionLost() const { return connectionLost_; }
    // A deadlock or a lock wait that ran out: the transaction was rolled back whole, so it
    // may safely run again.
    bool RolledBack() const {
        for (const QString& c : code_.split(QLatin1Char(';')))
            if (c.trimmed() == QLatin1String("1213") || c.trimmed() == QLatin1String("1205") ||
                c.trimmed() == QLatin1String("40001"))
                return true;
        return false;
    }

  private:
    QString code_;
    bool connectionLost_ = false;
};

// Description of any exception, for the one-line error logs.
inline QString Describe(const std::exception& e) {
    if (auto* own = dynamic_cast<const RelvaneError*>(&e)) return own->Description();
    return QString::fromStdString(e.what());
}
