#include "print/ReportText.h"

#include <QGlyphRun>
#include <QRawFont>

using namespace Qt::StringLiterals;

namespace horunea::reporttext {

Metrics::Metrics(const QFont& font)
    : QFontMetricsF(font), m_ascent(QFontMetricsF::ascent()), m_descent(QFontMetricsF::descent())
{
    // Characters the first font lacks: the ink of the fonts they come from.
    QTextLayout probe(u"𠮷𩸽㋿😀"_s, font);
    probe.beginLayout();
    probe.createLine();
    probe.endLayout();
    for (const QGlyphRun& run : probe.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        for (const quint32 glyph : run.glyphIndexes()) {
            const QRectF ink = raw.boundingRect(glyph);
            m_ascent = qMax(m_ascent, -ink.top());
            m_descent = qMax(m_descent, ink.bottom());
        }
    }
}

bool fitsOneLine(const QString& text, const QFontMetricsF& metrics, qreal width)
{
    if (text.contains(u'\n') || text.contains(u'\r'))
        return false;
    // No page line holds so many, and the advance of a longer text would
    // overflow the text engine's fixed-point width.
    if (text.size() > PieceLength)
        return false;
    if (text.size() * metrics.maxWidth() <= width)
        return true;
    return metrics.horizontalAdvance(text) <= width;
}

// The share of its size at which the text fits the width on one line: 1
// when it fits as it is, 0 when it is to be broken into lines instead.
qreal keptWholeShare(const QString& text, const QFontMetricsF& metrics, qreal width)
{
    if (fitsOneLine(text, metrics, width))
        return 1;
    if (text.size() > KeptWholeLength)
        return 0;
    for (const QChar c : text)
        if (c.isSpace())
            return 0;
    return width > 0 ? width / metrics.horizontalAdvance(text) : 0;
}

// The font at that share of its size.
QFont shrunk(const QFont& font, qreal share)
{
    QFont smaller = font;
    smaller.setPixelSize(qMax(1, int(std::floor(font.pixelSize() * share))));
    return smaller;
}

// Breaks text into lines of at most `width`, at word boundaries where there
// are any and anywhere else (Japanese has no spaces).
void breakLines(QTextLayout& layout, qreal width, const Metrics& metrics)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(qMax<qreal>(width, 1));
        // A line draws its baseline at its own ascent, which is larger when
        // it holds a character of a fallback font.
        line.setPosition(QPointF(0, y + metrics.ascent() - line.ascent()));
        y += metrics.lineSpacing();
    }
    layout.endLayout();
}

int pieceLineCount(QStringView piece, const QFont& font, const Metrics& metrics, qreal width)
{
    if (piece.isEmpty())
        return 1;
    QString text = piece.toString();
    text.replace(u'\t', u' ');
    if (fitsOneLine(text, metrics, width))
        return 1;
    QTextLayout layout(text, font);
    breakLines(layout, width, metrics);
    return qMax(1, layout.lineCount());
}

std::vector<PieceLines::Piece> PieceLines::cut(const QString& text, const QFont& font,
                                               const Metrics& metrics, qreal width)
{
    std::vector<Piece> pieces;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (;;) {
        qsizetype end = start;
        while (end < n && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        // [start, end) is one paragraph
        qsizetype from = start;
        for (;;) {
            const qsizetype length = std::min(end - from, PieceLength);
            const QStringView piece = QStringView(text).mid(from, length);
            if (from + length == end) {
                pieces.push_back({from, length, pieceLineCount(piece, font, metrics, width)});
                break;
            }
            QString t = piece.toString();
            t.replace(u'\t', u' ');
            QTextLayout layout(t, font);
            breakLines(layout, width, metrics);
            const int lines = layout.lineCount();
            qsizetype keep = lines > 1 ? layout.lineAt(lines - 1).textStart() : length;
            // A line wider than a piece: cut between two characters.
            while (keep < length && keep > 1 &&
                   (piece[keep].isLowSurrogate() || piece[keep].isMark()))
                --keep;
            pieces.push_back({from, keep, qMax(1, lines > 1 ? lines - 1 : 1)});
            from += keep;
        }
        if (end >= n)
            break;
        // CR LF is one break
        start = end + (text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n' ? 2 : 1);
    }
    return pieces;
}

int lineCount(const QString& text, const QFont& font, const Metrics& metrics, qreal width,
              PieceLines& pieces)
{
    if (text.isEmpty() || keptWholeShare(text, metrics, width) > 0)
        return 1;
    int lines = 0;
    for (const PieceLines::Piece& piece : pieces.of(text, font, metrics, width))
        lines += piece.lines;
    return lines;
}

void drawText(QPainter& painter, const QString& text, const QFont& font, const Metrics& metrics,
              const QPointF& topLeft, qreal width, PieceLines& pieces, Band band)
{
    if (text.isEmpty())
        return;
    painter.setFont(font);
    if (const qreal share = keptWholeShare(text, metrics, width); share > 0) {
        if (band.holds(topLeft.y(), metrics.lineSpacing())) {
            QString shown = text;
            if (share < 1) {
                const QFont smaller = shrunk(font, qMax(share, ReadableShare));
                painter.setFont(smaller);
                if (share < ReadableShare)
                    shown = QFontMetricsF(smaller).elidedText(text, Qt::ElideRight, width);
            }
            painter.drawText(topLeft + QPointF(0, metrics.ascent()), shown);
        }
        return;
    }
    const qreal spacing = metrics.lineSpacing();
    qreal y = topLeft.y();
    // Only the pieces the band shows are laid out again.
    for (const PieceLines::Piece& p : pieces.of(text, font, metrics, width)) {
        const qreal height = p.lines * spacing;
        if (y > band.bottom + 0.5)
            break;
        const QStringView piece = QStringView(text).mid(p.from, p.length);
        if (!piece.isEmpty() && band.meets(y, height)) {
            QString t = piece.toString();
            t.replace(u'\t', u' ');
            QTextLayout layout(t, font);
            breakLines(layout, width, metrics);
            for (int i = 0; i < layout.lineCount(); ++i) {
                if (band.holds(y + i * spacing, spacing))
                    layout.lineAt(i).draw(&painter, QPointF(topLeft.x(), y));
            }
        }
        y += height;
    }
}

} // namespace horunea::reporttext
