#pragma once

#include <QString>
#include <stdexcept>

// Every database, configuration and file failure travels as this one type; its text is what the
// user reads in the application-wide error box (usually the engine's own message).
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};
