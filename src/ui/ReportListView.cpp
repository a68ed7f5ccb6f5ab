#include "ui/ReportListView.h"

#include "store/Cp932.h"
#include "ui/Dialogs.h"
#include "ui/Twips.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

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
    connect(this, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { emit itemClicked(index.row()); });
}

void ReportListView::setRows(ListRows rows)
{
    m_model->setRows(std::move(rows));
}

int ReportListView::currentRow() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

void ReportListView::selectRow(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    if (!index.isValid())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

void ReportListView::setColumnWidthsTwips(const QList<int>& widths)
{
    for (int i = 0; i < widths.size(); ++i) {
        if (widths[i] == 0)
            setColumnHidden(i, true);
        else
            setColumnWidth(i, twips(widths[i]));
    }
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
    const int before = currentRow();
    QTreeView::keyPressEvent(event);
    const int after = currentRow();
    // Moving through the list with the keyboard counts as clicking the item
    // it lands on; Enter opens it as a double click would.
    if (after >= 0 && after != before) {
        emit itemClicked(after);
    } else if (after >= 0 && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
               event->modifiers() == Qt::NoModifier) {
        emit itemDoubleClicked(after);
    }
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
