#pragma once

#include "customer/CustomerView.h"

#include "ui/DataWindow.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace horunea {

class OtherPcsFollower;

struct PanelLink;

class ReportListView;

// Form1, the customer window: users by kana row, their subjects and logs, and
// the current user's detail panel, for the operator whose data is open. What
// it shows comes from its CustomerView; it draws the view as it changes.
class SplitHandle;

class CustomerWindow : public DataWindow
{
    Q_OBJECT
public:
    // The toolbar buttons of its own, by their index; 20 to 31 are the kana
    // rows あ … その他.
    enum Button {
        NewUserButton = 9,
        NewSubjectButton = 10,
        NewLogButton = 11,
        ContinuingButton = 13,
        DoneButton = 14,
        AllButton = 15,
        ContinuingOfUserButton = 16,
        DoneOfUserButton = 17,
        AllOfUserButton = 18,
        FirstKanaRowButton = 20,
    };
    explicit CustomerWindow(QWidget* parent = nullptr);
    ~CustomerWindow() override;

    // The load sequence, run once the operator's database is open: a new view
    // of that database, and the window exactly as at a first opening.
    void OpenCustomerWindow();
    CustomerView* view() const { return m_view.get(); }

    void setOperatorNames(const QStringList& names);
    QStringList operatorNames() const; // Combo1
    // The detail panel's values (表示ふりがな … 自由項目05) and free-field captions.
    QStringList panelValues() const;
    QStringList freeFieldCaptions() const;

    ReportListView* userList() const { return m_userList; }
    ReportListView* subjectList() const { return m_subjectList; }
    ReportListView* logList() const { return m_logList; }

protected:
    void focusFound(SearchKind kind) override;
    void command(int index) override;
    int buttonForKey(const FunctionKey& key) const override;
    bool keyNeedsVisibleButton(int index) const override { return index == 10 || index == 11; }
    bool consumesKey(const QKeyEvent*) const override { return false; }
    void layoutChildren() override;
    void clearLists() override;
    void closeAccount() override;

private:
    void createLists();
    void createDetailPanel();
    void drawState();
    void drawDetail();
    void sendMail();
    void showUrl();
    void handToDesktop(const PanelLink& link);

    std::unique_ptr<CustomerView> m_view;
    // On the server: other PCs' changes, which reload the view.
    std::unique_ptr<OtherPcsFollower> m_follower;

    ReportListView* m_userList;
    SplitHandle* m_splitter; // between the user list and the rest
    int m_userListWidth;     // twips, as the user last dragged it
    ReportListView* m_subjectList;
    ReportListView* m_logList;
    QLabel* m_userListHeading;
    QLabel* m_subjectListHeading;
    QLabel* m_logListHeading;
    QLabel* m_subjectFilterHeading;
    QLabel* m_panelHeading;
    QCheckBox* m_eachUser;
    QFrame* m_panel;
    QList<QLabel*> m_groupHeadings;
    QList<QLabel*> m_captions;     // one per value, panel order
    QList<QLabel*> m_freeCaptions; // Label27 … Label31
    QList<QLabel*> m_values;       // Label1 … Label21
    QPushButton* m_send;
    QPushButton* m_show;
    QComboBox* m_operatorNames;
};

} // namespace horunea
