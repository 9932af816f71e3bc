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

// A statement failed; carries the driver's description.
class DbError : public RelvaneError {
public:
    using RelvaneError::RelvaneError;
};

// Description of any exception, for the one-line error logs.
inline QString Describe(const std::exception& e) {
    if (auto* own = dynamic_cast<const RelvaneError*>(&e)) return own->Description();
    return QString::fromStdString(e.what());
}
