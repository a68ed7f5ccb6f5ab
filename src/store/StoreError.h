#pragma once

#include <QString>
#include <stdexcept>

namespace horunea {

// Raised by the store for every failure of the database layer; the message
// is Japanese and ready to be shown to the user. What the engine said, and the
// statement, go into the detail: a message box shows it under 詳細, the
// command line with --verbose.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString& message, const QString& detail = QString())
        : std::runtime_error(message.toStdString()), m_message(message), m_detail(detail)
    {}
    const QString& message() const { return m_message; }
    const QString& detail() const { return m_detail; }

private:
    QString m_message;
    QString m_detail;
};

} // namespace horunea
