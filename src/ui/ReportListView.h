#pragma once

#include "store/ListColumns.h"
#include "ui/TextTableModel.h"

#include <QTreeView>

namespace horunea {

// A report-style list: column headers, whole-row selection, one item current.
// Clicks and double clicks report the row under the pointer; a double click
// on the empty area reports nothing. Whatever makes another row current for
// the user (arrow keys, paging, typing its first letters, with or without an
// input method) reports it as a click, and so does Space on a row the
// program made current; Enter reports the current row as a double click,
// after reporting it as a click if the program had made it current.
class ReportListView : public QTreeView
{
    Q_OBJECT
public:
    ReportListView(const QString& objectName, const QStringList& headers,
                   QWidget* parent = nullptr);
    // A list with the columns' headings, at their starting widths.
    ReportListView(const QString& objectName, const ListColumns& columns,
                   QWidget* parent = nullptr);

    TextTableModel* listModel() const { return m_model; }
    void setRows(ListRows rows);
    void clearRows() { setRows({}); }
    int rowCount() const { return m_model->rowCount(); }
    QString text(int row, int column) const { return m_model->text(row, column); }
    int currentRow() const;
    // Makes a row current without counting as a click; -1 leaves none
    // current, nothing highlighted.
    void selectRow(int row);
    // Each list highlights its chosen row, or nothing where none is chosen
    // (-1): no list shows a highlight that is not the choice.
    static void showChoices(const QList<ReportListView*>& lists, const QList<int>& rows);
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
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void reportCurrent(int row);
    void sortByColumn(int column);

    TextTableModel* m_model;
    int m_reported = -1;         // the row last reported as clicked
    bool m_programmatic = false; // the program, not the user, moves the current row
    bool m_pressing = false;     // a mouse press: reported as a click on release
    int m_sortColumn = -1;       // the heading last clicked, until the next fill
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace horunea
