#pragma once

#include <QString>
#include <stdexcept>

namespace horunea {

// Raised by the store for every failure of the database layer; the text is
// Japanese and ready to be shown to the user.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace horunea
