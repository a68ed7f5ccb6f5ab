#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <cstring>
#include <initializer_list>
#include <vector>

namespace horunea {

// One row of a list: the cells kept as the store hands them over, UTF-8,
// in one buffer that also holds where each cell ends. A list of a hundred
// thousand rows costs one allocation a row, a row moves as one pointer, and
// no cell is decoded until it is shown.
class TextRow
{
public:
    TextRow() = default;
    TextRow(std::initializer_list<QString> cells)
    {
        reserve(qsizetype(cells.size()), 0);
        for (const QString& c : cells)
            append(c);
    }
    TextRow(const QStringList& cells)
    {
        reserve(cells.size(), 0);
        for (const QString& c : cells)
            append(c);
    }

    void reserve(qsizetype cells, qsizetype bytes)
    {
        if (m_data.isEmpty())
            start(int(qMax<qsizetype>(cells, 1)), bytes);
        else
            m_data.reserve(m_data.size() + bytes);
    }
    void append(QStringView cell)
    {
        const QByteArray utf8 = cell.toUtf8();
        appendUtf8(utf8.constData(), utf8.size());
    }
    void appendUtf8(const char* data, qsizetype size)
    {
        if (m_data.isEmpty())
            start(4, size);
        if (header(Count) == header(Capacity)) {
            const int capacity = header(Capacity);
            m_data.insert(textStart(), QByteArray(capacity * int(sizeof(int)), '\0'));
            setHeader(Capacity, 2 * capacity);
        }
        m_data.append(data, size);
        const int count = header(Count);
        setHeader(Ends + count, int(m_data.size() - textStart()));
        setHeader(Count, count + 1);
    }

    qsizetype size() const { return m_data.isEmpty() ? 0 : header(Count); }
    qsizetype count() const { return size(); }
    bool isEmpty() const { return size() == 0; }
    // The cell's bytes, or nothing past the last one.
    QByteArrayView utf8(qsizetype i) const
    {
        if (i < 0 || i >= size())
            return {};
        const int begin = i == 0 ? 0 : header(Ends + int(i) - 1);
        return QByteArrayView(m_data).sliced(textStart() + begin, header(Ends + int(i)) - begin);
    }
    // The cell, or an empty text past the last one (as QStringList::value).
    // A byte order mark that begins a cell is part of its text.
    QString value(qsizetype i) const
    {
        static thread_local QStringDecoder decoder(QStringDecoder::Utf8,
                                                   QStringDecoder::Flag::Stateless |
                                                       QStringDecoder::Flag::ConvertInitialBom);
        return decoder.decode(utf8(i));
    }
    QString operator[](qsizetype i) const { return value(i); }
    QString first() const { return value(0); }
    QString last() const { return value(size() - 1); }

    QStringList toList() const
    {
        QStringList out;
        out.reserve(size());
        for (qsizetype i = 0; i < size(); ++i)
            out << value(i);
        return out;
    }
    operator QStringList() const { return toList(); }

    friend bool operator==(const TextRow& a, const TextRow& b)
    {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i)
            if (a.utf8(i) != b.utf8(i))
                return false;
        return true;
    }
    friend bool operator!=(const TextRow& a, const TextRow& b) { return !(a == b); }
    friend bool operator==(const TextRow& a, const QStringList& b) { return a.toList() == b; }
    friend bool operator==(const QStringList& a, const TextRow& b) { return a == b.toList(); }
    friend bool operator!=(const TextRow& a, const QStringList& b) { return !(a == b); }
    friend bool operator!=(const QStringList& a, const TextRow& b) { return !(a == b); }

private:
    // The buffer begins with ints: the slots for cell ends, the cells held,
    // then the end of each cell within the text that follows.
    enum { Capacity = 0, Count = 1, Ends = 2 };
    void start(int capacity, qsizetype bytes)
    {
        const qsizetype headerBytes = (Ends + capacity) * qsizetype(sizeof(int));
        m_data.reserve(headerBytes + bytes);
        m_data.resize(headerBytes);
        std::memset(m_data.data(), 0, size_t(headerBytes));
        setHeader(Capacity, capacity);
    }
    int header(int slot) const
    {
        int value;
        std::memcpy(&value, m_data.constData() + slot * sizeof(int), sizeof(int));
        return value;
    }
    void setHeader(int slot, int value)
    {
        std::memcpy(m_data.data() + slot * sizeof(int), &value, sizeof(int));
    }
    qsizetype textStart() const { return (Ends + header(Capacity)) * qsizetype(sizeof(int)); }

    QByteArray m_data;
};

// Rows of text, as a list shows them.
using ListRows = std::vector<TextRow>;

// A row's cell by its column, a list's column enum.
template <typename Column> QString cell(const QStringList& row, Column column)
{
    return row.value(int(column));
}

} // namespace horunea
