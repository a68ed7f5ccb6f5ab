#include "ui/ReportListView.h"

#include "store/CsvFile.h"
#include "ui/Dialogs.h"
#include "ui/Twips.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace horunea {

ReportListView::ReportListView(const QString& objectName, const QStringList& headers,
                               QWidget* parent)
    : QTreeView(parent), m_model(new TextTableModel(headers, this))
{
    setObjectName(objectName);
    setModel(m_model);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(true);
    header()->setSectionsMovable(false);
    // A click on a heading sorts by that column (again: reversed) until the
    // list is filled again in the settings' order.
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this, &ReportListView::sortByColumn);
    connect(this, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { reportCurrent(index.row()); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                // A mouse press reports through clicked() when it is released.
                if (m_programmatic || m_pressing || !current.isValid())
                    return;
                reportCurrent(current.row());
            });
}

ReportListView::ReportListView(const QString& objectName, const ListColumns& columns,
                               QWidget* parent)
    : ReportListView(objectName, columns.headings(), parent)
{
    setColumnWidthsTwips(columns.twips());
}

void ReportListView::reportCurrent(int row)
{
    m_reported = row;
    emit itemClicked(row);
}

void ReportListView::setRows(ListRows rows)
{
    m_programmatic = true;
    m_model->setRows(std::move(rows));
    m_programmatic = false;
    m_reported = -1;
    m_sortColumn = -1;
    header()->setSortIndicatorShown(false);
}

void ReportListView::sortByColumn(int column)
{
    m_sortOrder = column == m_sortColumn && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                              : Qt::AscendingOrder;
    m_sortColumn = column;
    const bool reported = m_reported >= 0 && m_reported == currentRow();
    m_programmatic = true;
    m_model->sort(column, m_sortOrder);
    m_programmatic = false;
    // The chosen record stays chosen, wherever it went.
    if (reported)
        m_reported = currentRow();
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, m_sortOrder);
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

int ReportListView::currentRow() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

void ReportListView::selectRow(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    m_programmatic = true;
    if (!index.isValid()) {
        selectionModel()->clear();
        m_programmatic = false;
        m_reported = -1;
        return;
    }
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    m_programmatic = false;
    scrollTo(index);
}

namespace {

// A value a column of that heading typically holds: a telephone number of
// 13 characters, an e-mail address of 25.
QString typicalValue(const QString& heading)
{
    const QString h = heading.normalized(QString::NormalizationForm_KC).toUpper();
    if (h.contains(u"TEL"_qs) || h.contains(u"FAX"_qs))
        return u"03-1234-56789"_qs;
    if (h.contains(u"MAIL"_qs))
        return u"yamada.taro@example.co.jp"_qs;
    return QString();
}

} // namespace

void ReportListView::setColumnWidthsTwips(const QList<int>& widths)
{
    // The widths the form gives, widened where the heading or a typical
    // value would be cut.
    const QFontMetrics headingMetrics(header()->font());
    const QFontMetrics valueMetrics(font());
    const int padding = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header()) + 8;
    for (int i = 0; i < widths.size(); ++i) {
        if (widths[i] == 0) {
            setColumnHidden(i, true);
            continue;
        }
        const QString heading = m_model->headers().value(i);
        const int need = std::max(headingMetrics.horizontalAdvance(heading),
                                  valueMetrics.horizontalAdvance(typicalValue(heading))) +
                         padding;
        setColumnWidth(i, std::max(twips(widths[i]), need));
    }
}

void ReportListView::showChoices(const QList<ReportListView*>& lists, const QList<int>& rows)
{
    for (qsizetype i = 0; i < lists.size(); ++i) {
        const int row = rows.value(i, -1);
        if (lists[i]->currentRow() != row ||
            (row >= 0 && !lists[i]->selectionModel()->isRowSelected(row)))
            lists[i]->selectRow(row);
    }
}

void ReportListView::focusInEvent(QFocusEvent* event)
{
    // Qt makes the first row current as the list gets the focus; that is no
    // choice, and is not shown as one: the first arrow key chooses a row.
    const bool none = !currentIndex().isValid();
    m_programmatic = true;
    QTreeView::focusInEvent(event);
    if (none && currentIndex().isValid())
        selectionModel()->clear();
    m_programmatic = false;
}

void ReportListView::mousePressEvent(QMouseEvent* event)
{
    m_pressing = true;
    QTreeView::mousePressEvent(event);
    m_pressing = false;
}

void ReportListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    QTreeView::mouseDoubleClickEvent(event);
    if (index.isValid())
        emit itemDoubleClicked(index.row());
}

void ReportListView::keyPressEvent(QKeyEvent* event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain;
    if (event->key() == Qt::Key_Space && plain) {
        // Space chooses the highlighted item where no arrow key can reach
        // another one (a list of one row, say).
        if (const int row = currentRow(); row >= 0 && row != m_reported)
            reportCurrent(row);
        return;
    }
    if (!enter) {
        QTreeView::keyPressEvent(event);
        return;
    }
    // Enter opens the highlighted item as a double click would, and only
    // after the item is the chosen one, as a click would make it.
    const int row = currentRow();
    if (row < 0)
        return;
    if (row != m_reported)
        reportCurrent(row);
    emit itemDoubleClicked(row);
}

QStringList ReportListView::shownHeaders() const
{
    QStringList headers;
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (!isColumnHidden(c))
            headers << m_model->headers().value(c);
    return headers;
}

std::vector<QStringList> ReportListView::shownRows() const
{
    std::vector<QStringList> rows;
    rows.reserve(size_t(m_model->rowCount()));
    for (int r = 0; r < m_model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m_model->columnCount(); ++c)
            if (!isColumnHidden(c))
                cells << m_model->text(r, c);
        rows.push_back(std::move(cells));
    }
    return rows;
}

void ReportListView::saveCsv()
{
    QString path = Dialogs::instance().saveFile(
        this, u"CSVで保存"_qs, QDir::home().filePath(u"一覧.csv"_qs), u"CSV (*.csv);;All(*.*)"_qs);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += u".csv"_qs;
    const bool saved = runGuarded(this, [&] { writeCsvFile(path, shownHeaders(), shownRows()); });
    if (saved)
        Dialogs::instance().message(
            this, QStringLiteral("%1 行を CSV に保存しました。\n%2").arg(rowCount()).arg(path),
            Dialogs::Icon::Information);
}

void ReportListView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* save = menu.addAction(u"CSVで保存…"_qs);
    save->setObjectName(u"SaveCsvAction"_qs);
    connect(save, &QAction::triggered, this, &ReportListView::saveCsv);
    menu.exec(event->globalPos());
}

} // namespace horunea
