#pragma once

#include "customer/CustomerQueries.h"

#include "ui/DataWindow.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;

namespace horunea {

class ReportListView;

// Form1, the customer window: users by kana row, their subjects and logs, and
// the current user's detail panel, for the operator whose data is open.
class CustomerWindow : public DataWindow
{
    Q_OBJECT
public:
    // Record kinds of the record editor that this window opens.
    enum EditKind { UserKind = 1, SubjectKind = 2, LogKind = 3 };

    explicit CustomerWindow(QWidget* parent = nullptr);

    // The load sequence, run once the operator's database is open.
    void OpenCustomerWindow();
    void LoadUserList();
    void LoadSubjectList();
    void LoadLogList();
    void ShowUserDetail();
    void ApplySubjectFilter();

    void selectKanaRow(KanaRow row);
    void setSubjectFilter(const QString& filter);
    // Carries out toolbar button n (1 … 31) as a click would.
    void triggerButton(int index);
    QAction* toolbarButton(int index) const;

    void setOperatorNames(const QStringList& names);
    QStringList operatorNames() const;
    // The detail panel's values (表示ふりがな … 自由項目05) and free-field captions.
    QStringList panelValues() const;
    QStringList freeFieldCaptions() const;
    void setFreeFieldCaptions(const QStringList& captions);
    // After the current user or subject was deleted: nothing is current any
    // more, so that no new subject or log is added to a record that is gone.
    void forgetUser();
    void forgetSubject();

    CustomerListQuery& query() { return m_query; }
    ReportListView* userList() const { return m_userList; }
    ReportListView* subjectList() const { return m_subjectList; }
    ReportListView* logList() const { return m_logList; }

    // Current-record holders, "0" for none.
    QString SelectedUserId = u"0"_qs;
    QString SelectedSubjectId = u"0"_qs;
    QString SelectedLogId = u"0"_qs;
    QString SelectedUserName;
    QString SelectedSubjectTitle;

signals:
    void switchToRepairRequested();                  // F1
    void changeOperatorRequested();                  // F3
    void printUserRequested();                       // F4
    void printListRequested(const QString& key);     // button 5's menu
    void settingsRequested();                        // F5
    void searchRequested();                          // F6
    void editorRequested(int kind, bool isNew);      // F7 … F9, double clicks
    // The unload sequence has emptied the lists; the session decides what
    // comes next, then the database is closed.
    void unloading();

protected:
    bool windowKeyPress(QKeyEvent* event) override;
    void layoutChildren() override;
    void unload() override;

private:
    void createToolbar();
    void createLists();
    void createDetailPanel();
    void handleFunctionKey(int number, bool shift);

    void userClicked(int row);
    void subjectClicked(int row);
    void logClicked(int row);
    void individualClicked();
    void sendMail();
    void showUrl();

    CustomerListQuery m_query;

    QToolBar* m_toolbar;
    QList<QAction*> m_buttons; // index 1 … 31 at m_buttons[index]
    QMenu* m_printMenu;
    QWidget* m_central;
    ReportListView* m_userList;
    ReportListView* m_subjectList;
    ReportListView* m_logList;
    QLabel* m_label22;
    QLabel* m_label23;
    QLabel* m_label25;
    QLabel* m_label26;
    QLabel* m_panelHeading;
    QCheckBox* m_check1;
    QFrame* m_panel;
    QList<QLabel*> m_groupHeadings;
    QList<QLabel*> m_captions;   // one per value, panel order
    QList<QLabel*> m_values;     // Label1 … Label21
    QPushButton* m_send;
    QPushButton* m_show;
    QComboBox* m_combo1;
};

} // namespace horunea
