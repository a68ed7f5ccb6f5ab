#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QVarLengthArray>

#include <initializer_list>
#include <vector>

namespace horunea {

// One row of a list: the cells kept as the store hands them over, UTF-8 in
// one buffer, so that a list of a hundred thousand rows costs one allocation
// a row and no decoding until a cell is shown.
class TextRow
{
public:
    TextRow() = default;
    TextRow(std::initializer_list<QString> cells)
    {
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
        m_ends.reserve(cells);
        m_utf8.reserve(bytes);
    }
    void append(QStringView cell)
    {
        const QByteArray utf8 = cell.toUtf8();
        appendUtf8(utf8.constData(), utf8.size());
    }
    void appendUtf8(const char* data, qsizetype size)
    {
        m_utf8.append(data, size);
        m_ends.append(int(m_utf8.size()));
    }

    qsizetype size() const { return m_ends.size(); }
    qsizetype count() const { return size(); }
    bool isEmpty() const { return m_ends.isEmpty(); }
    // The cell's bytes, or nothing past the last one.
    QByteArrayView utf8(qsizetype i) const
    {
        if (i < 0 || i >= size())
            return {};
        const int begin = i == 0 ? 0 : m_ends[i - 1];
        return QByteArrayView(m_utf8).sliced(begin, m_ends[i] - begin);
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
        return a.m_utf8 == b.m_utf8 && a.m_ends == b.m_ends;
    }
    friend bool operator!=(const TextRow& a, const TextRow& b) { return !(a == b); }
    friend bool operator==(const TextRow& a, const QStringList& b) { return a.toList() == b; }
    friend bool operator==(const QStringList& a, const TextRow& b) { return a == b.toList(); }
    friend bool operator!=(const TextRow& a, const QStringList& b) { return !(a == b); }
    friend bool operator!=(const QStringList& a, const TextRow& b) { return !(a == b); }

private:
    QByteArray m_utf8;
    QVarLengthArray<int, 8> m_ends;
};

// Rows of text, as a list shows them.
using ListRows = std::vector<TextRow>;

} // namespace horunea
