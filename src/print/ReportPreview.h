#pragma once

#include "print/Report.h"
#include "print/ReportRenderer.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QDialog>
#include <QImage>

#include <memory>

class QLabel;
class QPrinter;
class QPushButton;

namespace horunea {

class ReportRenderer;

// The pages of a report stacked one under the other; only the pages in
// sight are painted, each once for its zoom.
class ReportPageView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    ReportPageView(const ReportRenderer& renderer, QWidget* parent = nullptr);

    // Pixels per dot: 1.0 is the page as large as the renderer lays it out.
    qreal scale() const { return m_scale; }
    void setScale(qreal scale);
    void fitWidth();
    // The page whose top is nearest the top of the view.
    int currentPage() const;
    void showPage(int index);
    // How many pages were painted so far (the preview paints lazily).
    int paintedPages() const { return m_painted; }

signals:
    void currentPageChanged(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QSize pagePixels() const;
    int pageStride() const;
    void updateScrollBars();
    const QImage& pageImage(int index);

    const ReportRenderer& m_renderer;
    qreal m_scale = 0.1;
    bool m_fitWidth = true;
    QCache<int, QImage> m_images;
    int m_painted = 0;
};

// The modal print preview: the report's pages, page by page, with printing
// through the system's print dialog and saving as PDF.
class ReportPreview : public QDialog
{
    Q_OBJECT
public:
    // Lays the report out first, telling `progress` how far it has come; a
    // layout the progress stopped leaves the preview cancelled().
    ReportPreview(Report report, QWidget* parent = nullptr, const LayoutProgress& progress = {});
    ~ReportPreview() override;

    const Report& report() const { return m_report; }
    const ReportRenderer& renderer() const { return *m_renderer; }
    bool cancelled() const { return m_renderer->cancelled(); }
    ReportPageView* pageView() const { return m_view; }

    void printReport();
    void savePdf();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showPageNumber(int index);

    Report m_report;
    std::unique_ptr<ReportRenderer> m_renderer;
    ReportPageView* m_view = nullptr;
    QLabel* m_pageLabel = nullptr;
};

// The pages (from 1, in order, each once) the print dialog asked of a
// report of pageCount pages: all, the current one, or the dialog's list of
// pages and ranges ("2,5", "3-4"), whether the dialog kept the list in the
// printer or handed it to the print system's options. The list is then
// taken out of the printer, so that the pages sent are printed as sent
// and not picked from a second time.
QList<int> TakeRequestedPages(QPrinter& printer, int pageCount, int currentPage);

// Opens a report in its preview and waits until it is closed.
void showReportPreview(QWidget* parent, Report report);

} // namespace horunea
