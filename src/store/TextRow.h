#pragma once

#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QVarLengthArray>

#include <initializer_list>
#include <vector>

namespace horunea {

// One row of a list: the texts of its cells kept in one buffer, so that a
// list of a hundred thousand rows costs one allocation a row. A cell is
// copied out when it is asked for.
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

    void reserve(qsizetype cells, qsizetype characters)
    {
        m_ends.reserve(cells);
        m_text.reserve(characters);
    }
    void append(QStringView cell)
    {
        m_text += cell;
        m_ends.append(int(m_text.size()));
    }
    // Appends UTF-8 text, decoded straight into the row's buffer.
    void appendUtf8(const char* data, qsizetype size)
    {
        static thread_local QStringDecoder decoder(QStringDecoder::Utf8,
                                                   QStringDecoder::Flag::Stateless |
                                                       QStringDecoder::Flag::ConvertInitialBom);
        const qsizetype at = m_text.size();
        m_text.resize(at + size); // UTF-16 never needs more units than UTF-8 bytes
        QChar* begin = m_text.data() + at;
        QChar* end = decoder.appendToBuffer(begin, QByteArrayView(data, size));
        m_text.resize(at + (end - begin));
        m_ends.append(int(m_text.size()));
    }

    qsizetype size() const { return m_ends.size(); }
    qsizetype count() const { return size(); }
    bool isEmpty() const { return m_ends.isEmpty(); }
    QStringView view(qsizetype i) const
    {
        if (i < 0 || i >= size())
            return {};
        const int begin = i == 0 ? 0 : m_ends[i - 1];
        return QStringView(m_text).mid(begin, m_ends[i] - begin);
    }
    // The cell, or an empty text past the last one (as QStringList::value).
    QString value(qsizetype i) const { return view(i).toString(); }
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
        return a.m_text == b.m_text && a.m_ends == b.m_ends;
    }
    friend bool operator!=(const TextRow& a, const TextRow& b) { return !(a == b); }
    friend bool operator==(const TextRow& a, const QStringList& b) { return a.toList() == b; }
    friend bool operator==(const QStringList& a, const TextRow& b) { return a == b.toList(); }
    friend bool operator!=(const TextRow& a, const QStringList& b) { return !(a == b); }
    friend bool operator!=(const QStringList& a, const TextRow& b) { return !(a == b); }

private:
    QString m_text;
    QVarLengthArray<int, 8> m_ends;
};

// Rows of text, as a list shows them.
using ListRows = std::vector<TextRow>;

} // namespace horunea
