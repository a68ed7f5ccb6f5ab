#pragma once

#include "ui/TextTableModel.h"

#include <QTreeView>

namespace horunea {

// A report-style list: column headers, whole-row selection, one item current.
// Clicks and double clicks report the row under the pointer; a double click
// on the empty area reports nothing.
class ReportListView : public QTreeView
{
    Q_OBJECT
public:
    ReportListView(const QString& objectName, const QStringList& headers,
                   QWidget* parent = nullptr);

    TextTableModel* listModel() const { return m_model; }
    void setRows(ListRows rows);
    void clearRows() { setRows({}); }
    int rowCount() const { return m_model->rowCount(); }
    QString text(int row, int column) const { return m_model->text(row, column); }
    int currentRow() const;
    // Makes a row current without counting as a click.
    void selectRow(int row);
    void setColumnWidthsTwips(const QList<int>& widths);
    // Writes the shown columns of every row, under their headers, to a CSV
    // file the user chooses (the right-click menu's "CSVで保存…").
    void saveCsv();
    // The shown columns' headers and the rows' cells under them.
    QStringList shownHeaders() const;
    std::vector<QStringList> shownRows() const;

signals:
    void itemClicked(int row);
    void itemDoubleClicked(int row);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    TextTableModel* m_model;
};

} // namespace horunea
