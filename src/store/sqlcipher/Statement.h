#pragma once

// The store's own pieces of the SQLCipher C API: prepared statements, the
// cache that keeps them, and Jet's functions registered on a connection.
// Only the SQLCipher engine and the store's pieces that ask SQLite itself
// include this.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

#include <sqlcipher/sqlite3.h>

namespace horunea {

// What the engine said of its last failure ("メモリ不足" without a connection).
QString errorText(sqlite3* db);
// Jet's Like (like) and the folded search form (searchfold) on a connection.
void registerJetFunctions(sqlite3* db);

class Statement
{
public:
    Statement(sqlite3* db, const QString& sql) : m_db(db)
    {
        const QByteArray utf8 = sql.toUtf8();
        m_rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    }
    // A statement of the cache, lent for one use: reset and handed back at
    // the end instead of being finalized.
    Statement(sqlite3* db, sqlite3_stmt* lent, std::function<void()> giveBack)
        : m_db(db), m_stmt(lent), m_rc(SQLITE_OK), m_giveBack(std::move(giveBack))
    {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement()
    {
        if (m_giveBack) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
            m_giveBack();
        } else {
            sqlite3_finalize(m_stmt);
        }
    }
    bool ok() const { return m_rc == SQLITE_OK && m_stmt; }
    // Gives the handle to another owner: this one no longer finalizes it.
    void handOver() { m_stmt = nullptr; }
    sqlite3_stmt* get() const { return m_stmt; }

    bool bind(const QVariantList& params)
    {
        const int expected = sqlite3_bind_parameter_count(m_stmt);
        if (expected != params.size())
            return false;
        for (int i = 0; i < params.size(); ++i) {
            const QVariant& v = params[i];
            const int at = i + 1;
            int rc = SQLITE_OK;
            if (v.isNull()) {
                rc = sqlite3_bind_null(m_stmt, at);
            } else {
                switch (v.typeId()) {
                case QMetaType::Int:
                case QMetaType::UInt:
                case QMetaType::LongLong:
                case QMetaType::ULongLong:
                case QMetaType::Bool:
                    rc = sqlite3_bind_int64(m_stmt, at, v.toLongLong());
                    break;
                case QMetaType::Double:
                    rc = sqlite3_bind_double(m_stmt, at, v.toDouble());
                    break;
                default: {
                    // As UTF-8 made by Qt: the store's own UTF-16 conversion
                    // would take a surrogate without its partner together
                    // with the next character, and lose that character.
                    const QByteArray utf8 = v.toString().toUtf8();
                    rc = sqlite3_bind_text(m_stmt, at, utf8.constData(), int(utf8.size()),
                                           SQLITE_TRANSIENT);
                }
                }
            }
            if (rc != SQLITE_OK)
                return false;
        }
        return true;
    }

    QStringList columnNames() const
    {
        QStringList names;
        const int n = sqlite3_column_count(m_stmt);
        for (int i = 0; i < n; ++i)
            names << QString::fromUtf8(sqlite3_column_name(m_stmt, i));
        return names;
    }

    QVariant column(int i) const
    {
        switch (sqlite3_column_type(m_stmt, i)) {
        case SQLITE_INTEGER:
            return QVariant(qlonglong(sqlite3_column_int64(m_stmt, i)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(m_stmt, i));
        case SQLITE_NULL:
            return QVariant();
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, i));
            return QVariant(QByteArray(data, sqlite3_column_bytes(m_stmt, i)));
        }
        default: {
            const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(m_stmt, i));
            return QVariant(QString::fromUtf16(data, sqlite3_column_bytes16(m_stmt, i) / 2));
        }
        }
    }

    // The column as text, without a QVariant between.
    QString text(int i) const
    {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
        return data ? QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, i)) : QString();
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_ERROR;
    std::function<void()> m_giveBack;
};

// A table or field name in double quotes, a quote in it doubled.
inline QString quoted(const QString& name)
{
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

// Prepared statements by their Jet text, so that a statement run again and
// again (an insert of a bulk write, a list filled anew) is translated and
// prepared once. A statement in use is not lent twice: a nested use of the
// same text gets one of its own.
class StatementCache
{
public:
    struct Entry
    {
        sqlite3_stmt* stmt = nullptr;
        bool busy = false;
        quint64 used = 0;
    };
    static constexpr int Capacity = 48;

    ~StatementCache() { clear(); }
    void clear()
    {
        for (const Entry& e : std::as_const(m_entries))
            sqlite3_finalize(e.stmt);
        m_entries.clear();
    }
    Entry* find(const QString& sql)
    {
        auto it = m_entries.find(sql);
        return it == m_entries.end() ? nullptr : &it.value();
    }
    // Keeps a new statement; false when the cache is full of busy ones.
    Entry* keep(const QString& sql, sqlite3_stmt* stmt)
    {
        if (m_entries.size() >= Capacity) {
            auto oldest = m_entries.end();
            for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
                if (!it->busy && (oldest == m_entries.end() || it->used < oldest->used))
                    oldest = it;
            if (oldest == m_entries.end())
                return nullptr;
            sqlite3_finalize(oldest->stmt);
            m_entries.erase(oldest);
        }
        return &m_entries.insert(sql, Entry{stmt, false, 0}).value();
    }
    quint64 tick() { return ++m_clock; }

private:
    QHash<QString, Entry> m_entries;
    quint64 m_clock = 0;
};

} // namespace horunea
