#include "print/ReportPreview.h"

#include "print/ReportRenderer.h"
#include "store/DateText.h"
#include "store/Failure.h"
#include "ui/Dialogs.h"
#include "ui/EnterNavigation.h"
#include "ui/FormParts.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPageRanges>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cups/cups.h>

namespace horunea {

namespace {

constexpr int PageGap = 12; // pixels between two pages
constexpr qreal ZoomStep = 1.25;

QPushButton* toolButton(const QString& name, const QString& caption, const QString& tip,
                        QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    pressesOnEnter(button);
    return button;
}

// A name for the file: the report's name and its title, without characters
// a file name cannot hold.
QString suggestedFileName(const Report& report)
{
    QString name = report.name;
    if (!report.title.isEmpty() && report.title != report.name)
        name += u'_' + report.title;
    name.remove(QChar(0x3000));
    for (QChar c : {u'/', u'\\', u':', u'*', u'?', u'"', u'<', u'>', u'|'})
        name.remove(c);
    return name + u".pdf"_qs;
}

} // namespace

ReportPageView::ReportPageView(const ReportRenderer& renderer, QWidget* parent)
    : QAbstractScrollArea(parent), m_renderer(renderer), m_images(8)
{
    setObjectName(u"PageView"_qs);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

QSize ReportPageView::pagePixels() const
{
    const QSizeF page = ReportRenderer::pageSize() * m_scale;
    return QSize(qMax(1, qRound(page.width())), qMax(1, qRound(page.height())));
}

int ReportPageView::pageStride() const
{
    return pagePixels().height() + PageGap;
}

void ReportPageView::setScale(qreal scale)
{
    const int page = currentPage();
    m_scale = qBound(0.02, scale, 0.5);
    m_images.clear();
    updateScrollBars();
    showPage(page);
    viewport()->update();
}

void ReportPageView::fitWidth()
{
    m_fitWidth = true;
    const int width = viewport()->width() - 2 * PageGap;
    setScale(qMax(1, width) / ReportRenderer::pageSize().width());
}

int ReportPageView::currentPage() const
{
    const int stride = pageStride();
    return qBound(0, (verticalScrollBar()->value() + stride / 3) / stride,
                  m_renderer.pageCount() - 1);
}

void ReportPageView::keyPressEvent(QKeyEvent* event)
{
    // A page a key, as 次 and 前 move, not a screenful.
    if (event->key() == Qt::Key_PageDown || event->key() == Qt::Key_PageUp) {
        showPage(currentPage() + (event->key() == Qt::Key_PageDown ? 1 : -1));
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void ReportPageView::showPage(int index)
{
    index = qBound(0, index, m_renderer.pageCount() - 1);
    verticalScrollBar()->setValue(index * pageStride());
    emit currentPageChanged(index);
}

void ReportPageView::updateScrollBars()
{
    const QSize page = pagePixels();
    const int total = m_renderer.pageCount() * pageStride() + PageGap;
    verticalScrollBar()->setRange(0, qMax(0, total - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(qMax(1, page.height() / 20));
    horizontalScrollBar()->setRange(0, qMax(0, page.width() + 2 * PageGap - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

const QImage& ReportPageView::pageImage(int index)
{
    if (QImage* cached = m_images.object(index))
        return *cached;
    const qreal ratio = devicePixelRatioF();
    auto* image = new QImage(pagePixels() * ratio, QImage::Format_RGB32);
    image->setDevicePixelRatio(ratio);
    image->fill(Qt::white);
    {
        QPainter painter(image);
        painter.scale(m_scale, m_scale);
        m_renderer.paintPage(painter, index);
    }
    ++m_painted;
    m_images.insert(index, image);
    return *m_images.object(index);
}

void ReportPageView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QSize page = pagePixels();
    const int stride = pageStride();
    const int top = verticalScrollBar()->value();
    const int x =
        qMax(PageGap, (viewport()->width() - page.width()) / 2) - horizontalScrollBar()->value();
    const int first = qMax(0, (top - PageGap) / stride);
    for (int i = first; i < m_renderer.pageCount(); ++i) {
        const int y = PageGap + i * stride - top;
        if (y > viewport()->height())
            break;
        painter.fillRect(QRect(QPoint(x + 3, y + 3), page), QColor(0, 0, 0, 60));
        painter.drawImage(QPoint(x, y), pageImage(i));
    }
}

void ReportPageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_fitWidth)
        fitWidth();
    else
        updateScrollBars();
}

void ReportPageView::scrollContentsBy(int, int)
{
    viewport()->update();
    emit currentPageChanged(currentPage());
}

ReportPreview::ReportPreview(Report report, QWidget* parent, const LayoutProgress& progress)
    : QDialog(parent), m_report(std::move(report)),
      m_renderer(std::make_unique<ReportRenderer>(m_report, progress))
{
    setObjectName(u"ReportPreview"_qs);
    setWindowTitle(m_report.name);
    setModal(true);

    auto* print = toolButton(u"PrintButton"_qs, u"印刷(&P)…"_qs, u"印刷 (Ctrl+P)"_qs, this);
    auto* pdf = toolButton(u"PdfButton"_qs, u"PDFに保存"_qs, u"PDFに保存 (Ctrl+S)"_qs, this);
    auto* previous = toolButton(u"PreviousPage"_qs, u"◀ 前"_qs, u"前のページ (PageUp)"_qs, this);
    auto* next = toolButton(u"NextPage"_qs, u"次 ▶"_qs, u"次のページ (PageDown)"_qs, this);
    auto* smaller = toolButton(u"ZoomOut"_qs, u"縮小"_qs, u"縮小 (-)"_qs, this);
    auto* larger = toolButton(u"ZoomIn"_qs, u"拡大"_qs, u"拡大 (+)"_qs, this);
    auto* fit = toolButton(u"FitWidth"_qs, u"幅に合わせる"_qs, u"幅に合わせる (0)"_qs, this);
    auto* close = toolButton(u"CloseButton"_qs, u"閉じる"_qs, u"閉じる (Esc)"_qs, this);
    m_pageLabel = plainLabel(this);
    m_pageLabel->setObjectName(u"PageLabel"_qs);

    auto* bar = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(print), static_cast<QWidget*>(pdf)})
        bar->addWidget(w);
    bar->addSpacing(8);
    bar->addWidget(previous);
    bar->addWidget(m_pageLabel);
    bar->addWidget(next);
    bar->addSpacing(8);
    bar->addWidget(smaller);
    bar->addWidget(larger);
    bar->addWidget(fit);
    bar->addStretch();
    bar->addWidget(close);

    m_view = new ReportPageView(*m_renderer, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);

    connect(print, &QPushButton::clicked, this, &ReportPreview::printReport);
    connect(pdf, &QPushButton::clicked, this, &ReportPreview::savePdf);
    connect(previous, &QPushButton::clicked, this,
            [this] { m_view->showPage(m_view->currentPage() - 1); });
    connect(next, &QPushButton::clicked, this,
            [this] { m_view->showPage(m_view->currentPage() + 1); });
    connect(smaller, &QPushButton::clicked, this,
            [this] { m_view->setScale(m_view->scale() / ZoomStep); });
    connect(larger, &QPushButton::clicked, this,
            [this] { m_view->setScale(m_view->scale() * ZoomStep); });
    connect(fit, &QPushButton::clicked, m_view, &ReportPageView::fitWidth);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_view, &ReportPageView::currentPageChanged, this, &ReportPreview::showPageNumber);
    showPageNumber(0);

    // The width of the screen and 400 twips less than its height.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        resize(area.width(), qMax(200, area.height() - twips(400)));
        move(area.topLeft());
    }
    m_view->setFocus();
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::showPageNumber(int index)
{
    m_pageLabel->setText(pageNumberText(index + 1, m_renderer->pageCount()) + u" ページ"_qs);
}

void ReportPreview::keyPressEvent(QKeyEvent* event)
{
    const auto key = event->key();
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
        m_view->showPage(m_view->currentPage() + (key == Qt::Key_PageDown ? 1 : -1));
    } else if (key == Qt::Key_Home && control) {
        m_view->showPage(0);
    } else if (key == Qt::Key_End && control) {
        m_view->showPage(m_renderer->pageCount() - 1);
    } else if (key == Qt::Key_P && control) {
        printReport();
    } else if (key == Qt::Key_S && control) {
        savePdf();
    } else if (key == Qt::Key_Plus || key == Qt::Key_Equal) {
        m_view->setScale(m_view->scale() * ZoomStep);
    } else if (key == Qt::Key_Minus) {
        m_view->setScale(m_view->scale() / ZoomStep);
    } else if (key == Qt::Key_0) {
        m_view->fitWidth();
    } else {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
}

namespace {

// The options the print dialog gave the print system (name, value, name,
// value …), which Qt keeps under this key of the printer's engine.
const auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

QList<int> pagesOf(const QPageRanges& ranges, int pageCount)
{
    QList<int> pages;
    for (const QPageRanges::Range& r : ranges.toRangeList())
        for (int page = qMax(1, r.from); page <= qMin(pageCount, r.to); ++page)
            if (!pages.contains(page))
                pages << page;
    std::sort(pages.begin(), pages.end());
    return pages;
}

// Why the queue would not print, or empty when it takes jobs.
QString queueProblem(const QString& printerName)
{
    cups_dest_t* dest =
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, printerName.toUtf8().constData(), nullptr);
    if (!dest)
        return QStringLiteral("プリンター「%1」が見つかりません。").arg(printerName);
    auto option = [dest](const char* name) {
        return QString::fromUtf8(cupsGetOption(name, dest->num_options, dest->options));
    };
    QString problem;
    if (option("printer-is-accepting-jobs") == u"false")
        problem = QStringLiteral("プリンター「%1」は印刷を受け付けていません。").arg(printerName);
    else if (option("printer-state") == u"5")
        problem = QStringLiteral("プリンター「%1」は停止しています。").arg(printerName);
    if (!problem.isEmpty() && !option("printer-state-reasons").isEmpty())
        problem += u"\n("_qs + option("printer-state-reasons") + u')';
    cupsFreeDests(1, dest);
    return problem;
}

} // namespace

QList<int> TakeRequestedPages(QPrinter& printer, int pageCount, int currentPage)
{
    QList<int> pages;
    QStringList options = printer.printEngine()->property(CupsOptions).toStringList();
    const qsizetype at = options.indexOf(u"page-ranges"_qs);
    const bool inOptions = at >= 0 && at % 2 == 0 && at + 1 < options.size();
    if (printer.printRange() == QPrinter::CurrentPage) {
        pages << qBound(1, currentPage, pageCount);
    } else if (printer.printRange() == QPrinter::PageRange && !printer.pageRanges().isEmpty()) {
        pages = pagesOf(printer.pageRanges(), pageCount);
    } else if (inOptions) {
        pages = pagesOf(QPageRanges::fromString(options.at(at + 1)), pageCount);
    } else {
        for (int page = 1; page <= pageCount; ++page)
            pages << page;
    }
    if (inOptions) {
        options.remove(at, 2);
        printer.printEngine()->setProperty(CupsOptions, options);
    }
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPageRanges(QPageRanges());
    return pages;
}

void ReportPreview::printReport()
{
    QPrinter printer(QPrinter::HighResolution);
    preparePageDevice(printer);
    printer.setFullPage(true);
    printer.setDocName(m_report.name);
    printer.setFromTo(1, m_renderer->pageCount());
    if (!Dialogs::instance().choosePrinter(this, printer))
        return;
    const QList<int> pages =
        TakeRequestedPages(printer, m_renderer->pageCount(), m_view->currentPage() + 1);
    auto failed = [this](const QString& why) {
        Dialogs::instance().message(this, u"印刷できませんでした。\n"_qs + why,
                                    Dialogs::Icon::Exclamation);
    };
    if (pages.isEmpty()) {
        failed(QStringLiteral("印刷するページがありません (1～%1 ページ)。")
                   .arg(m_renderer->pageCount()));
        return;
    }
    const bool toQueue = printer.outputFormat() == QPrinter::NativeFormat;
    if (toQueue) {
        if (printer.printerName().isEmpty()) {
            if (Dialogs::instance().confirm(
                    this,
                    u"印刷できませんでした。\nプリンターがありません。PDFに保存しますか？"_qs))
                savePdf();
            return;
        }
        if (const QString problem = queueProblem(printer.printerName()); !problem.isEmpty()) {
            failed(problem);
            return;
        }
    }
    m_report.printedAt = Clock::now();
    QPainter painter;
    if (!painter.begin(&printer)) {
        failed(u"プリンターを確かめてください。"_qs);
        return;
    }
    ReportRenderer::scaleToDots(painter, printer.resolution());
    QProgressDialog progress(u"印刷しています…"_qs, u"キャンセル"_qs, 0, int(pages.size()), this);
    progress.setObjectName(u"PrintProgress"_qs);
    progress.setWindowTitle(u"ホルネア"_qs);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    bool cancelled = false;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            printer.newPage();
        m_renderer->paintPage(painter, pages[i] - 1);
        progress.setValue(int(i + 1));
        if (progress.wasCanceled()) {
            cancelled = true;
            break;
        }
    }
    if (cancelled)
        printer.abort();
    const bool ended = painter.end();
    progress.reset();
    if (cancelled)
        return;
    // The job goes to the queue as the painter ends; the print system says
    // how that went.
    if (!ended || printer.printerState() == QPrinter::Error) {
        failed(u"プリンターを確かめてください。"_qs);
    } else if (toQueue && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
        failed(QString::fromUtf8(cupsLastErrorString()));
    }
}

void ReportPreview::savePdf()
{
    QString path = Dialogs::instance().saveFile(this, u"PDFに保存"_qs,
                                                QDir::home().filePath(suggestedFileName(m_report)),
                                                u"PDF (*.pdf);;All(*.*)"_qs);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += u".pdf"_qs;
    m_report.printedAt = Clock::now();
    QProgressDialog progress(u"PDFに保存しています…"_qs, u"キャンセル"_qs, 0,
                             m_renderer->pageCount(), this);
    progress.setObjectName(u"SaveProgress"_qs);
    progress.setWindowTitle(u"ホルネア"_qs);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    bool written = false;
    const bool saved = runGuarded(this, [&] {
        written = writeReportPdf(*m_renderer, path, [&progress](int page, int) {
            progress.setValue(page);
            return !progress.wasCanceled();
        });
    });
    progress.reset();
    if (saved && written)
        Dialogs::instance().message(this, u"PDFに保存しました。\n"_qs + path,
                                    Dialogs::Icon::Information);
}

void showReportPreview(QWidget* parent, Report report)
{
    // A long report takes a while to be laid out: its progress is shown,
    // the window answers, and キャンセル gives the layout up.
    QProgressDialog progress(u"帳票を組んでいます…"_qs, u"キャンセル"_qs, 0, 0, parent);
    progress.setObjectName(u"LayoutProgress"_qs);
    progress.setWindowTitle(Dialogs::title());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    QElapsedTimer sinceEvents; // events are seen at the start, then every 50 ms
    ReportPreview preview(std::move(report), parent, [&](int done, int total) {
        if (!sinceEvents.isValid() || sinceEvents.elapsed() >= 50) {
            progress.setMaximum(total);
            progress.setValue(done);
            QApplication::processEvents();
            sinceEvents.restart();
        }
        return !progress.wasCanceled();
    });
    progress.reset();
    if (preview.cancelled())
        return;
    preview.exec();
}

} // namespace horunea
