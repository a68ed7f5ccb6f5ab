#include "print/ReportPreview.h"

#include "print/ReportRenderer.h"
#include "store/StoreError.h"
#include "ui/Dialogs.h"
#include "ui/EnterNavigation.h"
#include "ui/FormParts.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

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

ReportPreview::ReportPreview(Report report, QWidget* parent)
    : QDialog(parent), m_report(std::move(report)),
      m_renderer(std::make_unique<ReportRenderer>(m_report))
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

void ReportPreview::printReport()
{
    QPrinter printer(QPrinter::HighResolution);
    preparePageDevice(printer);
    printer.setFullPage(true);
    printer.setDocName(m_report.name);
    printer.setFromTo(1, m_renderer->pageCount());
    if (!Dialogs::instance().choosePrinter(this, printer))
        return;
    int from = 1, to = m_renderer->pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage();
        to = qMin(to, qMax(from, printer.toPage()));
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        from = to = m_view->currentPage() + 1;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        Dialogs::instance().message(
            this, u"印刷を始められませんでした。プリンターを確かめてください。"_qs,
            Dialogs::Icon::Exclamation);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ReportRenderer::scaleToDots(painter, printer.resolution());
    for (int page = from; page <= to; ++page) {
        if (page > from)
            printer.newPage();
        m_renderer->paintPage(painter, page - 1);
    }
    painter.end();
    QApplication::restoreOverrideCursor();
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
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = runGuarded(this, [&] { writeReportPdf(m_report, path); });
    QApplication::restoreOverrideCursor();
    if (saved)
        Dialogs::instance().message(this, u"PDFに保存しました。\n"_qs + path,
                                    Dialogs::Icon::Information);
}

void showReportPreview(QWidget* parent, Report report)
{
    ReportPreview preview(std::move(report), parent);
    preview.exec();
}

} // namespace horunea
