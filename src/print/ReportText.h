#pragma once

// How the reports measure, break and draw their texts: a long text is laid
// out in pieces, each piece's line count kept, so that a text of a million
// characters costs its length and never a whole layout.
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>
#include <QStringView>
#include <QTextLayout>

#include <map>
#include <tuple>
#include <vector>

namespace horunea::reporttext {

// The longest piece of a text laid out at once (see PieceLines).
constexpr qsizetype PieceLength = 1000;

// A short value without a blank (a date, a telephone number, a key, a price,
// a name) is never broken: where it does not fit its box it is drawn
// smaller, down to a readable share of its size; in a box narrower still it
// is cut at that size and ends in "…".
constexpr qsizetype KeptWholeLength = 16;
constexpr qreal ReadableShare = 0.6;

// A font's measures with one steady line pitch: every line of a text has
// its baseline at the same height in its line and every line is as tall,
// tall enough for the fonts the text falls back on. 𠮷 and ㋿ come from
// Noto Sans CJK JP and emoji from Symbola, whose ascents are a third larger
// than the first font's: laid out as they come, a line holding one of them
// would sit lower than the others and run into the next.
class Metrics : public QFontMetricsF
{
public:
    explicit Metrics(const QFont& font);
    qreal ascent() const { return m_ascent; }
    qreal descent() const { return m_descent; }
    qreal height() const { return m_ascent + m_descent; }
    qreal lineSpacing() const { return height() + leading(); }

private:
    qreal m_ascent, m_descent;
};

bool fitsOneLine(const QString& text, const QFontMetricsF& metrics, qreal width);

// The share of its size at which the text fits the width on one line: 1
// when it fits as it is, 0 when it is to be broken into lines instead.
qreal keptWholeShare(const QString& text, const QFontMetricsF& metrics, qreal width);

// The font at that share of its size.
QFont shrunk(const QFont& font, qreal share);

// Breaks text into lines of at most `width`, at word boundaries where there
// are any and anywhere else (Japanese has no spaces); line i lies at
// i × the pitch, its baseline the pitch's ascent below that.
void breakLines(QTextLayout& layout, qreal width, const Metrics& metrics);

int pieceLineCount(QStringView piece, const QFont& font, const Metrics& metrics, qreal width);

// A long text is laid out in pieces, each laid out alone, so that a text
// costs its length, not its square, and no piece is longer than the text
// engine lays out whole: its paragraphs, and a paragraph longer than
// PieceLength in pieces that end where a line of the paragraph ends (the
// last line of a piece goes on into the next), so that lines break only
// where the text or its lines break.
//
// The pieces of each long text already laid out, by text, font and width:
// a text taller than a page is painted page by page, and each page lays out
// only the pieces it shows. A text is found by its characters, not by where
// they are: a row hands out a new copy of its cell each time it is asked,
// and every page asks again.
class PieceLines
{
public:
    // Where a piece lies in its text, and how many lines it takes.
    struct Piece
    {
        qsizetype from, length;
        int lines;
    };
    static std::vector<Piece> cut(const QString& text, const QFont& font, const Metrics& metrics,
                                  qreal width);

    const std::vector<Piece>& of(const QString& text, const QFont& font, const Metrics& metrics,
                                 qreal width)
    {
        const Key key{text.size(), qRound64(width * 64), qHash(font.key()), fingerprint(text)};
        const auto [first, last] = m_lines.equal_range(key);
        for (auto it = first; it != last; ++it)
            if (it->second.text == text)
                return it->second.pieces;
        Entry entry{text, cut(text, font, metrics, width)};
        ++m_laidOut;
        return m_lines.emplace(key, std::move(entry))->second.pieces;
    }
    // How many texts were laid out whole.
    int laidOut() const { return m_laidOut; }

private:
    // A few characters from each end: cheap whatever the length, and texts
    // of one length mostly differ there; the whole text is compared after.
    static size_t fingerprint(const QString& text)
    {
        const QStringView view(text);
        const qsizetype n = std::min<qsizetype>(view.size(), 64);
        return qHash(view.first(n)) ^ (qHash(view.last(n)) * 31);
    }

    using Key = std::tuple<qsizetype, qint64, size_t, size_t>;
    struct Entry
    {
        QString text;
        std::vector<Piece> pieces;
    };
    std::multimap<Key, Entry> m_lines;
    int m_laidOut = 0;
};

int lineCount(const QString& text, const QFont& font, const Metrics& metrics, qreal width,
              PieceLines& pieces);

// The lines of text that lie wholly between top and bottom: a line taller
// than a page prints each line of its text on one page only.
struct Band
{
    qreal top = -1e12, bottom = 1e12;
    bool holds(qreal y, qreal height) const { return y >= top - 0.5 && y + height <= bottom + 0.5; }
    bool meets(qreal y, qreal height) const { return y + height > top - 0.5 && y < bottom + 0.5; }
};

void drawText(QPainter& painter, const QString& text, const QFont& font, const Metrics& metrics,
              const QPointF& topLeft, qreal width, PieceLines& pieces, Band band = {});

} // namespace horunea::reporttext
