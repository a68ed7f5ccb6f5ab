#pragma once

#include "repair/RepairQueries.h"

#include "ui/DataWindow.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QToolBar;

namespace horunea {

class ReportListView;

// Form2, the repair window: repairs by state or the unpaid ones, the logs of
// the current repair and its request sheet, for the open repair account.
class RepairWindow : public DataWindow
{
    Q_OBJECT
public:
    enum EditKind { RepairKind = 4, RepairLogKind = 5 };

    explicit RepairWindow(QWidget* parent = nullptr);

    void OpenRepairWindow();
    void LoadRepairList();
    void LoadUnpaidList();
    void LoadRepairLogList();
    void LoadMakerCombo();
    void ApplyRepairFilter();
    void SetRepairFilter(const QString& filter);
    void ToggleUnpaidList();
    void ShowRepairDetail();
    bool unpaidShown() const;

    void triggerButton(int index);
    QAction* toolbarButton(int index) const;

    void setOperatorNames(const QStringList& names);
    QStringList operatorNames() const; // Combo2
    QStringList makerNames() const;    // Combo1
    QStringList freeFieldCaptions() const;
    void setFreeFieldCaptions(const QStringList& captions);
    // The detail panel as it stands: value texts by field name, and the marks.
    QString panelText(const QString& field) const;
    bool panelFinished() const;
    bool panelEstimate() const;
    bool panelDelivery() const;
    // After the current repair was deleted: no new log can hang on it.
    void forgetRepair();

    RepairListQuery& query() { return m_query; }
    ReportListView* repairList() const { return m_repairList; }
    ReportListView* unpaidList() const { return m_unpaidList; }
    ReportListView* repairLogList() const { return m_logList; }

    QString SelectedRepairId = u"0"_qs;
    QString SelectedRepairLogId = u"0"_qs;
    QString SelectedRepairName;

signals:
    void switchToCustomerRequested();             // F1
    void changeAccountRequested();                // F3
    void printRepairRequested();                  // F4
    void printListRequested(const QString& key);  // button 5's menu
    void settingsRequested();                     // F5
    void searchRequested();                       // F6
    void ownCompanyRequested();                   // F8
    void makersRequested();                       // F9
    void editorRequested(int kind, bool isNew);   // F10, F11, double clicks
    void unloading();

protected:
    bool windowKeyPress(QKeyEvent* event) override;
    void layoutChildren() override;
    void unload() override;

private:
    void createToolbar();
    void createLists();
    void createPanel();
    void handleFunctionKey(int number, bool shift);
    void repairClicked(ReportListView* list, int row);
    void setSelectionLabels();

    RepairListQuery m_query;

    QToolBar* m_toolbar;
    QList<QAction*> m_buttons;
    QMenu* m_printMenu;
    QWidget* m_central;
    QLabel* m_label23;
    QLabel* m_label35;
    QLabel* m_label24;
    ReportListView* m_repairList;
    ReportListView* m_unpaidList;
    ReportListView* m_logList;
    QLabel* m_panelHeading;
    QFrame* m_panel;
    QList<QLabel*> m_captions; // Label61 … Label83
    QList<QLabel*> m_values;   // Label1 … Label21, Label25, Label28
    QCheckBox* m_check1;
    QCheckBox* m_check2;
    QCheckBox* m_check3;
    QLabel* m_label26;
    QLabel* m_label27;
    QComboBox* m_combo1;
    QComboBox* m_combo2;
};

} // namespace horunea
