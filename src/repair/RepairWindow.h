#pragma once

#include "repair/RepairView.h"

#include "ui/DataWindow.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;

namespace horunea {

class OtherPcsFollower;

class ReportListView;

// Form2, the repair window: repairs by state or the unpaid ones, the logs of
// the current repair and its request sheet, for the open repair account.
// What it shows comes from its RepairView; it draws the view as it changes.
class RepairWindow : public DataWindow
{
    Q_OBJECT
public:
    // The toolbar buttons of its own, by their index.
    enum Button {
        UnpaidButton = 9,
        OwnCompanyButton = 11,
        MakersButton = 12,
        NewRepairButton = 13,
        NewRepairLogButton = 14,
        ContinuingButton = 16,
        DoneButton = 17,
        AllButton = 18,
    };
    explicit RepairWindow(QWidget* parent = nullptr);
    ~RepairWindow() override;

    // The load sequence, run once the repair database is open: a new view of
    // that database, and the window exactly as at a first opening.
    void OpenRepairWindow();
    RepairView* view() const { return m_view.get(); }
    bool unpaidShown() const;

    void setOperatorNames(const QStringList& names);
    QStringList operatorNames() const; // Combo2
    QStringList makerNames() const;    // Combo1
    QStringList freeFieldCaptions() const;
    // The detail panel as it stands: value texts by field name, and the marks.
    QString panelText(const QString& field) const;
    bool panelFinished() const;
    bool panelEstimate() const;
    bool panelDelivery() const;

    ReportListView* repairList() const { return m_repairList; }
    ReportListView* unpaidList() const { return m_unpaidList; }
    ReportListView* repairLogList() const { return m_logList; }

signals:
    void ownCompanyRequested(); // F8
    void makersRequested();     // F9

protected:
    void focusFound(SearchKind kind) override;
    void command(int index) override;
    int buttonForKey(const FunctionKey& key) const override;
    bool keyNeedsVisibleButton(int index) const override { return index == 14; }
    // The lists take the keys that choose and open a record (arrows, paging,
    // Space, Enter, Tab), and no others.
    bool consumesKey(const QKeyEvent* key) const override;
    void layoutChildren() override;
    void clearLists() override;
    void closeAccount() override;

private:
    void createLists();
    void createPanel();
    void drawState();
    void drawDetail();

    std::unique_ptr<RepairView> m_view;
    // On the server: other PCs' changes, which reload the view.
    std::unique_ptr<OtherPcsFollower> m_follower;

    QLabel* m_repairListHeading;
    QLabel* m_unpaidListHeading;
    QLabel* m_logListHeading;
    ReportListView* m_repairList;
    ReportListView* m_unpaidList;
    ReportListView* m_logList;
    QLabel* m_panelHeading;
    QFrame* m_panel;
    QList<QLabel*> m_captions;     // Label61 … Label83
    QList<QLabel*> m_freeCaptions; // the last three of them
    QList<QLabel*> m_values;       // Label1 … Label21, Label25, Label28
    QCheckBox* m_finished;
    QCheckBox* m_estimate;
    QCheckBox* m_delivery;
    QLabel* m_selectedRepairId;
    QLabel* m_selectedRepairLogId;
    QComboBox* m_makerNames;
    QComboBox* m_operatorNames;
};

} // namespace horunea
