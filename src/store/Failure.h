#pragma once

#include <QString>
#include <stdexcept>

namespace horunea {

// Whatever the program cannot or will not do, said for the user: a failure
// of the database layer, or a refusal of what was asked (a missing choice,
// a wrong password, an account in use). The message is Japanese and ready to
// be shown as it stands. What the engine said, and the statement, go into
// the detail: a message box shows it under 詳細, the command line with
// --verbose.
class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString& message, const QString& detail = QString())
        : std::runtime_error(message.toStdString()), m_message(message), m_detail(detail)
    {}
    const QString& message() const { return m_message; }
    const QString& detail() const { return m_detail; }

private:
    QString m_message;
    QString m_detail;
};

} // namespace horunea
