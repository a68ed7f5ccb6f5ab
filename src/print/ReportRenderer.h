#pragma once

#include "print/Report.h"

#include <QFont>
#include <QSizeF>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPagedPaintDevice;

namespace horunea {

// Lays a report out on A4 portrait pages and paints any one of them. Layout
// works in dots of 1/1200 inch on every device, so that the preview, the
// printer and the PDF break pages at the same places; a painter is scaled to
// its device before a page is painted.
//
// The page breaks are found once, for the whole report (the page header
// needs the page count); a page is painted only when it is asked for.
// Blocks are kept on one page when they fit one; a block's line never
// breaks, except a line taller than a page, which continues on the next
// page between two lines of its text.
// How far the page breaks have come: the blocks laid out and all of them;
// a false answer stops the layout (cancelled()).
using LayoutProgress = std::function<bool(int done, int total)>;

class ReportRenderer
{
public:
    static constexpr qreal DotsPerInch = 1200;

    explicit ReportRenderer(const Report& report, const LayoutProgress& progress = {});
    ~ReportRenderer();
    ReportRenderer(const ReportRenderer&) = delete;
    ReportRenderer& operator=(const ReportRenderer&) = delete;

    const Report& report() const { return *m_report; }
    // The A4 page in dots.
    static QSizeF pageSize();
    int pageCount() const;
    // The layout was stopped by its progress: the pages are not all there.
    bool cancelled() const;
    // Paints page `index` (from 0) with its top left corner at the painter's
    // origin, one unit a dot.
    void paintPage(QPainter& painter, int index) const;
    // Scales the painter from its device's resolution to dots.
    static void scaleToDots(QPainter& painter, qreal deviceDpi);

private:
    struct Layout;
    std::unique_ptr<Layout> m_layout;
    const Report* m_report;
};

// Writes every page to a PDF file with its text as text. `progress` hears
// each page written and answers whether to go on: a false answer stops,
// leaves no new file (an old one untouched) and returns false. The file is
// replaced whole or not at all; Failure when it cannot be written.
using PdfProgress = std::function<bool(int page, int pageCount)>;
bool writeReportPdf(const ReportRenderer& renderer, const QString& path,
                    const PdfProgress& progress = {});
bool writeReportPdf(const Report& report, const QString& path, const PdfProgress& progress = {});

// Sets a printer (or PDF writer) to A4 portrait, no margins of its own.
void preparePageDevice(QPagedPaintDevice& device);

} // namespace horunea
