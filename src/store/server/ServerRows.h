#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>

struct pg_result;

namespace horunea {

// A result as the server handed it over: the cells as UTF-8, valid as long
// as the result lives; what each column holds.
class ServerRows
{
public:
    ServerRows() = default;
    explicit ServerRows(pg_result* result) : m_result(result) {}
    ServerRows(ServerRows&& other) noexcept;
    ServerRows& operator=(ServerRows&& other) noexcept;
    ServerRows(const ServerRows&) = delete;
    ServerRows& operator=(const ServerRows&) = delete;
    ~ServerRows();

    int rowCount() const;
    int columnCount() const;
    QString columnName(int column) const;
    // True for a column of whole numbers (the keys, counts, margins).
    bool isInteger(int column) const;
    bool isNull(int row, int column) const;
    // The cell as UTF-8; empty for Null.
    std::string_view cell(int row, int column) const;
    // The cell as a whole number (a key); 0 for Null.
    qint64 integer(int row, int column) const;
    // The rows changed by a statement that returns none.
    int changed() const;
    // The command's tag without its count: "COMMIT", "ROLLBACK", "INSERT" …
    QByteArray command() const;

private:
    pg_result* m_result = nullptr;
};

} // namespace horunea
