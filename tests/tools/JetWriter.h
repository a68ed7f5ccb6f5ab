#pragma once

// Writes Access (Jet 4) database files for the tests: the shop's Windows
// files cannot be made here, so their tables are written from the format
// notes of the mdbtools project. Tables, text (UCS-2, and Jet 4's
// compressed form where it is shorter), memos (in the row, on one long-value
// page, or over a chain of them), numbers, yes/no, currency, date/time,
// Nulls, the counters' next values and the database password in the header.
// Every file it writes is read back by libmdb and by mdb-reader (npm) in
// the tests, so that it cannot agree only with itself.

#include "store/JetFile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace horunea::test {

class JetWriter
{
public:
    // The column types, as the reader names them.
    using Type = JetType;
    struct Column
    {
        QString name;
        Type type = Type::Text;
        int characters = 255;   // of a text column
        bool counter = false;   // a Long the engine numbers (AutoNumber)
        bool compressed = true; // "Unicode compression" of text and memo
    };
    struct Options
    {
        // Written in the header as Access writes it; empty for none.
        QString password;
        // A memo of more bytes goes to long-value pages.
        int inlineMemoBytes = 64;
        // Not 0: every page after the header is RC4-encoded with this key
        // and its page number, as Access encodes a database.
        uint32_t pageKey = 0;
    };

    // Creates the file (replacing one there).
    explicit JetWriter(const QString& path) : JetWriter(path, Options()) {}
    JetWriter(const QString& path, const Options& options);
    ~JetWriter();
    JetWriter(const JetWriter&) = delete;
    JetWriter& operator=(const JetWriter&) = delete;

    // Tables are written one after the other: begin one, add its rows.
    // A value: a null QVariant for Null, QString, integers, double, bool;
    // a date/time as QDateTime or as the day count (double); currency as
    // double.
    void beginTable(const QString& name, const QList<Column>& columns);
    void addRow(const QVariantList& values);
    // The next key the table's counter would give (Access keeps it in the
    // table's definition); by default one after the largest key added.
    void setNextCounter(qint64 next);
    // Writes the catalog, the tables' definitions and maps; the file is whole.
    void finish();

    // The day count Jet stores for a date/time.
    static double dayCount(const QDateTime& when);

private:
    struct Table;
    void endTable();
    uint32_t newPage();
    void writePage(uint32_t page, const QByteArray& bytes);
    QByteArray encodeText(const QString& text, bool compress) const;
    QByteArray longValue(const QByteArray& data);
    void flushDataPage();
    void addRowBytes(const QByteArray& row);
    QByteArray usageMap(const std::vector<uint32_t>& pages);
    void writeDefinition(const Table& table);

    std::FILE* m_file = nullptr;
    Options m_options;
    uint32_t m_pages = 0;
    std::vector<std::unique_ptr<Table>> m_tables;
    Table* m_table = nullptr;
    QByteArray m_page; // the data page being filled
    uint32_t m_pageNumber = 0;
    int m_pageRows = 0;
    int m_pageFree = 0;
    bool m_finished = false;
};

} // namespace horunea::test
