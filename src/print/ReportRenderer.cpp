#include "print/ReportRenderer.h"

#include "print/ReportText.h"
#include "store/Failure.h"
#include "ui/Fonts.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>

#include <cmath>
#include <map>
#include <numeric>
#include <tuple>

namespace horunea {

using namespace reporttext;

namespace {

constexpr qreal Dpi = ReportRenderer::DotsPerInch;
constexpr qreal DotsPerMm = Dpi / 25.4;
constexpr qreal DotsPerTwip = Dpi / 1440.0;
// The smallest body a margin may leave, so that a report always prints.
constexpr qreal MinBodyWidth = 60 * DotsPerMm;
constexpr qreal MinBodyHeight = 80 * DotsPerMm;

const QColor RuleColor(0x70, 0x70, 0x70);
const QColor CaptionColor(0x40, 0x40, 0x40);
const QColor GroupShade(0xEE, 0xEE, 0xEE);
const QColor HeadShade(0xDD, 0xDD, 0xDD);

QFont dotsFont(qreal pointSize, bool bold = false)
{
    QFont font = programFont(pointSize);
    font.setPixelSize(qRound(pointSize * Dpi / 72));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace

struct ReportRenderer::Layout
{
    struct Position
    {
        int block = 0;
        int line = 0;
        qreal offset = 0; // into a line taller than a page
        bool operator==(const Position&) const = default;
    };
    struct BoxGeometry
    {
        qreal x = 0, width = 0, captionWidth = 0;
        int captionLines = 1;
        QString caption;
        int field = -1;
    };
    struct LineGeometry
    {
        int group = 0;
        bool firstOfGroup = false;
        std::vector<BoxGeometry> boxes;
    };
    struct BlockGeometry
    {
        qreal left = 0, width = 0, groupWidth = 0;
        QStringList groupCaptions;
        std::vector<LineGeometry> lines;
    };

    const Report& report;
    QFont valueFont, captionFont, titleFont, headingFont, headFont;
    Metrics value, caption, title, head;
    qreal pad, gap, rule;
    QRectF page, frame, body;
    qreal headerBottom = 0;
    std::vector<BlockGeometry> blocks;
    std::optional<LineGeometry> tableHead;
    qreal tableHeadHeight = 0;
    std::vector<Position> pageStarts;
    bool cancelled = false; // by the progress, before the last page

    // Line counts of the pieces of long texts (see PieceLines).
    mutable PieceLines pieceLines;
    // Each block's line heights, and its long values decoded: every page
    // that a long block reaches asks for them again.
    mutable std::map<const ReportBlock*, std::vector<qreal>> heightsOf;
    mutable std::map<std::pair<const ReportBlock*, int>, QString> longValues;

    // A value of a block; a long one is decoded once.
    QString valueOf(const ReportBlock& block, int field) const
    {
        constexpr qsizetype LongBytes = 4096;
        if (block.values.utf8(field).size() < LongBytes)
            return block.values.value(field);
        const auto key = std::pair{&block, field};
        auto it = longValues.find(key);
        if (it == longValues.end())
            it = longValues.emplace(key, block.values.value(field)).first;
        return it->second;
    }

    explicit Layout(const Report& r, const LayoutProgress& progress)
        : report(r), valueFont(dotsFont(r.pointSize)), captionFont(dotsFont(r.pointSize * 0.85)),
          titleFont(dotsFont(r.pointSize * 1.6, true)),
          headingFont(dotsFont(r.pointSize * 1.3, true)),
          headFont(dotsFont(r.pointSize * 0.9, true)), value(valueFont), caption(captionFont),
          title(titleFont), head(headFont)
    {
        pad = value.height() * 0.18;
        gap = report.tableHead ? 0 : value.lineSpacing() * 0.6;
        rule = 0.1 * DotsPerMm;
        page = QRectF(QPointF(0, 0), pageSize());
        frame = marginFrame();
        headerBottom = frame.top() + title.lineSpacing() + value.lineSpacing() + pad;
        if (report.tableHead) {
            BlockLayout headLayout;
            headLayout.groups.append(ReportGroup{QString(), {*report.tableHead}});
            const BlockGeometry g = geometry(headLayout, headFont, head);
            tableHead = g.lines.front();
            int lines = 1;
            for (const BoxGeometry& b : tableHead->boxes)
                lines = qMax(lines, b.captionLines);
            tableHeadHeight = lines * head.lineSpacing() + 2 * pad;
        }
        body = QRectF(QPointF(frame.left(), headerBottom + tableHeadHeight + pad * 2),
                      QPointF(frame.right(), frame.bottom()));
        for (const BlockLayout& l : report.layouts)
            blocks.push_back(geometry(l, captionFont, caption));
        paginate(progress);
    }

    QRectF marginFrame() const
    {
        qreal top = report.margins[0] * DotsPerTwip, left = report.margins[1] * DotsPerTwip;
        qreal right = report.margins[2] * DotsPerTwip, bottom = report.margins[3] * DotsPerTwip;
        // Margins that leave no room are shrunk in proportion.
        const qreal across = page.width() - MinBodyWidth;
        if (left + right > across) {
            const qreal f = across / (left + right);
            left *= f;
            right *= f;
        }
        const qreal down = page.height() - MinBodyHeight;
        if (top + bottom > down) {
            const qreal f = down / (top + bottom);
            top *= f;
            bottom *= f;
        }
        return QRectF(QPointF(left, top), QPointF(page.width() - right, page.height() - bottom));
    }

    BlockGeometry geometry(const BlockLayout& layout, const QFont& captionFace,
                           const Metrics& captionMetrics) const
    {
        BlockGeometry g;
        g.left = frame.left() + layout.indent * frame.width() * 0.06;
        g.width = frame.right() - g.left;
        qreal widest = 0;
        for (const ReportGroup& group : layout.groups) {
            g.groupCaptions << group.caption;
            if (!group.caption.isEmpty())
                widest = qMax(widest, caption.horizontalAdvance(group.caption));
        }
        if (widest > 0)
            g.groupWidth = qBound(g.width * 0.08, widest + 2 * pad, g.width * 0.18);
        const qreal content = g.width - g.groupWidth;
        for (int gi = 0; gi < layout.groups.size(); ++gi) {
            const ReportGroup& group = layout.groups[gi];
            for (int li = 0; li < group.lines.size(); ++li) {
                const ReportLine& line = group.lines[li];
                LineGeometry lg;
                lg.group = gi;
                lg.firstOfGroup = li == 0;
                int shares = 0;
                for (const ReportBox& b : line.boxes)
                    shares += qMax(1, b.width);
                qreal x = 0;
                for (const ReportBox& b : line.boxes) {
                    BoxGeometry bg;
                    bg.x = x;
                    bg.width = content * qMax(1, b.width) / qMax(1, shares);
                    bg.caption = b.caption;
                    bg.field = b.field;
                    const qreal room = bg.width - 2 * pad;
                    if (!b.caption.isEmpty()) {
                        const qreal want = captionMetrics.horizontalAdvance(b.caption) + pad;
                        bg.captionWidth = b.field < 0 ? room : qMin(want, room * 0.45);
                        bg.captionLines = lineCount(b.caption, captionFace, captionMetrics,
                                                    bg.captionWidth, pieceLines);
                    }
                    x += bg.width;
                    lg.boxes.push_back(std::move(bg));
                }
                g.lines.push_back(std::move(lg));
            }
        }
        return g;
    }

    qreal valueWidth(const BoxGeometry& b) const { return b.width - 2 * pad - b.captionWidth; }

    const std::vector<qreal>& lineHeights(const ReportBlock& block) const
    {
        auto known = heightsOf.find(&block);
        if (known == heightsOf.end())
            known = heightsOf.emplace(&block, measureLines(block)).first;
        return known->second;
    }

    std::vector<qreal> measureLines(const ReportBlock& block) const
    {
        const BlockGeometry& g = blocks[size_t(block.layout)];
        std::vector<qreal> heights;
        heights.reserve(g.lines.size());
        for (const LineGeometry& line : g.lines) {
            qreal h = value.lineSpacing();
            for (const BoxGeometry& b : line.boxes) {
                h = qMax(h, b.captionLines * caption.lineSpacing());
                if (b.field >= 0) {
                    const int lines = lineCount(valueOf(block, b.field), valueFont, value,
                                                valueWidth(b), pieceLines);
                    h = qMax(h, lines * value.lineSpacing());
                }
            }
            heights.push_back(h + 2 * pad);
        }
        return heights;
    }

    void paginate(const LayoutProgress& progress)
    {
        Position pos;
        const int count = int(report.blocks.size());
        do {
            if (progress && !progress(pos.block, count)) {
                cancelled = true;
                return;
            }
            pageStarts.push_back(pos);
            Position next = walk(pos, nullptr);
            if (next == pos) // cannot happen with the smallest body; never loop
                next = Position{pos.block + 1, 0, 0};
            pos = next;
        } while (pos.block < count);
    }

    // Lays out (and, given a painter, paints) the body of the page that
    // starts at pos; returns where the next page starts.
    // A page that goes on with a section says whose it is; returns the
    // height that line takes.
    qreal paintContinued(const ReportBlock& block, QPainter* painter, qreal y) const
    {
        if (block.continued.isEmpty())
            return 0;
        if (painter) {
            painter->setPen(Qt::black);
            drawText(*painter, block.continued, valueFont, value, QPointF(body.left(), y),
                     body.width(), pieceLines);
        }
        return continuedHeight(block);
    }

    qreal continuedHeight(const ReportBlock& block) const
    {
        if (block.continued.isEmpty())
            return 0;
        return lineCount(block.continued, valueFont, value, body.width(), pieceLines) *
                   value.lineSpacing() +
               pad;
    }

    // The room a page has that begins at a line of a block, below what
    // says whose the page is.
    qreal roomOfAPageBegunAt(int index, int line) const
    {
        const ReportBlock& block = report.blocks[size_t(index)];
        const bool saysWhose = line > 0 || (!block.ownSection && index > 0);
        return body.height() - (saysWhose ? continuedHeight(block) : 0);
    }

    // Whether a block starts at y on a page that already holds something,
    // rather than on the next page: it goes whole where it fits on one page
    // (below the line that says whose the page is); a heading takes the
    // first line of what it heads along (all of it when that fits a page).
    bool fitsBelow(int index, const std::vector<qreal>& heights, qreal y, qreal bottom) const
    {
        const qreal total = std::accumulate(heights.begin(), heights.end(), qreal(0));
        const qreal room = roomOfAPageBegunAt(index, 0);
        if (y + total > bottom && total <= room)
            return false;
        const ReportBlock& block = report.blocks[size_t(index)];
        if (!report.layouts[block.layout].keepWithNext || index + 1 >= int(report.blocks.size()) ||
            report.blocks[size_t(index) + 1].layout == block.layout)
            return true;
        const std::vector<qreal>& next = lineHeights(report.blocks[size_t(index) + 1]);
        const qreal nextTotal = std::accumulate(next.begin(), next.end(), qreal(0));
        const qreal need =
            total + gap + (nextTotal <= room || next.empty() ? nextTotal : next.front());
        return y + need <= bottom || need > room;
    }

    Position walk(Position pos, QPainter* painter) const
    {
        qreal y = body.top();
        const qreal bottom = body.bottom() + 0.01;
        bool pageEmpty = true;
        const int count = int(report.blocks.size());
        // A page that begins inside a block, or with a block whose section
        // began on an earlier page, says whose it is.
        if (pos.block < count) {
            const ReportBlock& first = report.blocks[size_t(pos.block)];
            const bool inside = pos.line > 0 || pos.offset > 0;
            if (first.ownSection ? inside : (inside || pos.block > 0))
                y += paintContinued(first, painter, y);
        }
        while (pos.block < count) {
            const ReportBlock& block = report.blocks[size_t(pos.block)];
            const BlockGeometry& g = blocks[size_t(block.layout)];
            const std::vector<qreal>& heights = lineHeights(block);
            if (pos.line == 0 && pos.offset == 0) {
                if (!pageEmpty && !fitsBelow(pos.block, heights, y + gap, bottom))
                    break;
                y += pageEmpty ? 0 : gap;
            }
            const qreal blockTop = y;
            const int firstLine = pos.line;
            bool full = false;
            while (pos.line < int(heights.size())) {
                const qreal whole = heights[size_t(pos.line)];
                const qreal rest = whole - pos.offset;
                qreal take = rest;
                if (y + rest > bottom) {
                    // A line that fits no page goes on here; so does one that
                    // does not fit where nothing is on the page yet.
                    if (whole <= roomOfAPageBegunAt(pos.block, pos.line) && !pageEmpty) {
                        full = true;
                        break;
                    }
                    // A line taller than a page goes on between two lines of text.
                    const qreal lead = pos.offset == 0 ? pad : 0;
                    const int lines = int(std::floor((bottom - y - lead) / value.lineSpacing()));
                    if (lines <= 0) {
                        full = true;
                        break;
                    }
                    take = lead + lines * value.lineSpacing();
                }
                if (painter)
                    paintLine(*painter, block, g, pos.line, y, pos.offset, take,
                              pos.line == firstLine);
                y += take;
                pageEmpty = false;
                if (take < rest) {
                    pos.offset += take;
                    full = true;
                    break;
                }
                ++pos.line;
                pos.offset = 0;
            }
            if (painter && y > blockTop)
                paintFrame(*painter, g, blockTop, y);
            if (full)
                break;
            ++pos.block;
            pos.line = 0;
            pos.offset = 0;
        }
        return pos;
    }

    void paintLine(QPainter& p, const ReportBlock& block, const BlockGeometry& g, int index,
                   qreal y, qreal offset, qreal height, bool firstOnPage) const
    {
        const LineGeometry& line = g.lines[size_t(index)];
        const Band band{y, y + height};
        const qreal top = y - offset;
        if (g.groupWidth > 0) {
            p.fillRect(QRectF(g.left, y, g.groupWidth, height), GroupShade);
            if (line.firstOfGroup || firstOnPage) {
                p.setPen(Qt::black);
                drawText(p, g.groupCaptions.value(line.group), captionFont, caption,
                         QPointF(g.left + pad, y + pad), g.groupWidth - 2 * pad, pieceLines, band);
            }
        }
        p.setPen(QPen(RuleColor, rule));
        if (index > 0 && offset == 0) {
            const qreal from = line.firstOfGroup ? g.left : g.left + g.groupWidth;
            p.drawLine(QPointF(from, y), QPointF(g.left + g.width, y));
        }
        const qreal contentLeft = g.left + g.groupWidth;
        for (size_t i = 0; i < line.boxes.size(); ++i) {
            const BoxGeometry& b = line.boxes[i];
            const qreal x = contentLeft + b.x;
            if (i > 0 || g.groupWidth > 0) {
                p.setPen(QPen(RuleColor, rule));
                p.drawLine(QPointF(x, y), QPointF(x, y + height));
            }
            if (!b.caption.isEmpty()) {
                p.setPen(CaptionColor);
                drawText(p, b.caption, captionFont, caption,
                         QPointF(x + pad, top + pad + (value.ascent() - caption.ascent())),
                         b.captionWidth, pieceLines, band);
            }
            if (b.field >= 0) {
                p.setPen(Qt::black);
                drawText(p, valueOf(block, b.field), valueFont, value,
                         QPointF(x + pad + b.captionWidth, top + pad), valueWidth(b), pieceLines,
                         band);
            }
        }
    }

    void paintFrame(QPainter& p, const BlockGeometry& g, qreal top, qreal bottom) const
    {
        p.save();
        p.setPen(QPen(Qt::black, rule * 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(g.left, top, g.width, bottom - top));
        p.restore();
    }

    void paintHeader(QPainter& p, int index) const
    {
        const QString pageText = pageNumberText(index + 1, int(pageStarts.size()));
        const qreal top = frame.top();
        const QRectF line1(frame.left(), top, frame.width(), title.lineSpacing());
        const QRectF line2(frame.left(), top + title.lineSpacing(), frame.width(),
                           value.lineSpacing());
        p.setPen(Qt::black);
        if (report.headingOnly) {
            p.setFont(titleFont);
            p.drawText(line1, Qt::AlignHCenter | Qt::AlignVCenter, report.heading);
            p.setFont(valueFont);
            p.drawText(line2, Qt::AlignRight | Qt::AlignVCenter, pageText);
        } else {
            // Title at the left, heading in the middle, date at the right;
            // where margins leave too little room, the three are drawn
            // smaller, and the heading goes between the other two.
            const QString date = printedAtText(report.printedAt);
            const qreal space = value.horizontalAdvance(u"　"_qs);
            const qreal titleW = QFontMetricsF(titleFont).horizontalAdvance(report.title);
            const qreal headingW =
                report.heading.isEmpty()
                    ? 0
                    : QFontMetricsF(headingFont).horizontalAdvance(report.heading);
            const qreal dateW = value.horizontalAdvance(date);
            const qreal need = titleW + headingW + dateW + 2 * space;
            const qreal share = need > frame.width() ? frame.width() / need : 1;
            qreal headingLeft = frame.left() + (frame.width() - headingW * share) / 2;
            const qreal titleEnd = frame.left() + titleW * share + space * share;
            const qreal dateStart = frame.right() - dateW * share - space * share;
            if (headingLeft < titleEnd || headingLeft + headingW * share > dateStart)
                headingLeft = titleEnd + (dateStart - titleEnd - headingW * share) / 2;
            p.setFont(shrunk(titleFont, share));
            p.drawText(line1, Qt::AlignLeft | Qt::AlignVCenter, report.title);
            if (!report.heading.isEmpty()) {
                p.setFont(shrunk(headingFont, share));
                p.drawText(QRectF(headingLeft, line1.top(), headingW * share + 1, line1.height()),
                           Qt::AlignLeft | Qt::AlignVCenter, report.heading);
            }
            p.setFont(shrunk(valueFont, share));
            p.drawText(line1, Qt::AlignRight | Qt::AlignVCenter, date);
            p.setFont(valueFont);
            p.drawText(line2, Qt::AlignRight | Qt::AlignVCenter, pageText);
        }
        p.setPen(QPen(Qt::black, rule * 2));
        p.drawLine(QPointF(frame.left(), headerBottom), QPointF(frame.right(), headerBottom));
        if (tableHead) {
            const qreal y = headerBottom + pad;
            const QRectF area(frame.left(), y, frame.width(), tableHeadHeight);
            p.fillRect(area, HeadShade);
            p.setPen(QPen(RuleColor, rule));
            p.setBrush(Qt::NoBrush);
            p.drawRect(area);
            for (const BoxGeometry& b : tableHead->boxes) {
                const qreal x = frame.left() + b.x;
                p.setPen(QPen(RuleColor, rule));
                if (b.x > 0)
                    p.drawLine(QPointF(x, y), QPointF(x, y + tableHeadHeight));
                p.setPen(Qt::black);
                drawText(p, b.caption, headFont, head, QPointF(x + pad, y + pad), b.width - 2 * pad,
                         pieceLines);
            }
        }
    }

    void paintPage(QPainter& p, int index) const
    {
        if (index < 0 || index >= int(pageStarts.size()))
            return;
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        paintHeader(p, index);
        if (report.blocks.empty()) {
            p.setPen(Qt::black);
            drawText(p, noDataText(), valueFont, value, body.topLeft(), body.width(), pieceLines);
        } else {
            walk(pageStarts[size_t(index)], &p);
        }
        p.restore();
    }
};

ReportRenderer::ReportRenderer(const Report& report, const LayoutProgress& progress)
    : m_layout(std::make_unique<Layout>(report, progress)), m_report(&report)
{}

bool ReportRenderer::cancelled() const
{
    return m_layout->cancelled;
}

ReportRenderer::~ReportRenderer() = default;

QSizeF ReportRenderer::pageSize()
{
    return QSizeF(210 * DotsPerMm, 297 * DotsPerMm);
}

int ReportRenderer::pageCount() const
{
    return int(m_layout->pageStarts.size());
}

void ReportRenderer::paintPage(QPainter& painter, int index) const
{
    m_layout->paintPage(painter, index);
}

void ReportRenderer::scaleToDots(QPainter& painter, qreal deviceDpi)
{
    painter.scale(deviceDpi / Dpi, deviceDpi / Dpi);
}

void preparePageDevice(QPagedPaintDevice& device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

bool writeReportPdf(const ReportRenderer& renderer, const QString& path,
                    const PdfProgress& progress)
{
    const Report& report = renderer.report();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Failure(u"ファイルに書き込めません: "_qs + path + u"\n"_qs + file.errorString());
    bool goOn = true;
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(int(Dpi));
        pdf.setTitle(report.name);
        pdf.setCreator(u"ホルネア"_qs);
        preparePageDevice(pdf);
        QPainter painter(&pdf);
        const int pages = renderer.pageCount();
        for (int i = 0; i < pages && goOn; ++i) {
            if (i > 0)
                pdf.newPage();
            renderer.paintPage(painter, i);
            if (progress)
                goOn = progress(i + 1, pages);
        }
        painter.end();
    }
    if (!goOn) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        throw Failure(u"ファイルに書き込めません: "_qs + path + u"\n"_qs + file.errorString());
    return true;
}

bool writeReportPdf(const Report& report, const QString& path, const PdfProgress& progress)
{
    const ReportRenderer renderer(report);
    return writeReportPdf(renderer, path, progress);
}

} // namespace horunea
