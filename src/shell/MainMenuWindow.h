#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace horunea {

class ReportListView;

// Form4, the main menu: the program's hub, and in a reduced layout the dialog
// in which a data window opens another account.
class MainMenuWindow : public QDialog
{
    Q_OBJECT
public:
    enum class Layout { Full, CustomerOnlyMenu, RepairOnlyMenu };

    explicit MainMenuWindow(QWidget* parent = nullptr);
    ~MainMenuWindow() override;

    // The load: opens the master database and fills both lists. False (after
    // telling the user) when the master database cannot be read.
    bool load();
    void LoadMenuOperatorList();
    void LoadMenuRepairList();

    void setMenuLayout(Layout layout);
    Layout menuLayout() const { return m_layout; }

    // What the user chose on each side: the item's name and Label8 / Label9.
    QString selectedOperatorName() const;
    QString selectedRepairName() const;
    QString operatorNumber() const;
    QString repairNumber() const;
    QString operatorPassword() const;
    QString repairPassword() const;
    // The 使用者名 of every item of the operator list, in list order.
    QStringList operatorNames() const;

    // Unloads the menu once a data window has taken over.
    void unload();

signals:
    void openCustomerRequested();
    void openRepairRequested();
    void compactCustomerRequested();
    void compactRepairRequested();
    void convertRequested();
    void administratorRequested();
    void quitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createMenuFrame();
    void createDataFrame();
    void placeSide(bool repair, int left, bool wideOpenButton);
    void operatorClicked(int row);
    void repairClicked(int row);
    void openHelp();
    void showVersion();

    Layout m_layout = Layout::Full;
    bool m_unloaded = false;

    QFrame* m_menuFrame;
    QFrame* m_dataFrame;
    QLabel* m_menuHeading;
    QLabel* m_dataHeading;
    QPushButton* m_convert;
    QPushButton* m_administrator;
    QPushButton* m_version;
    QPushButton* m_help;
    QPushButton* m_quit;

    QLabel* m_customerLabel;
    ReportListView* m_operatorList;
    QLabel* m_customerPasswordLabel;
    QLineEdit* m_customerPassword;
    QPushButton* m_openCustomer;
    QPushButton* m_compactCustomer;

    QLabel* m_repairLabel;
    ReportListView* m_repairList;
    QLabel* m_repairPasswordLabel;
    QLineEdit* m_repairPassword;
    QPushButton* m_openRepair;
    QPushButton* m_compactRepair;

    QPushButton* m_close;
    QLabel* m_selectedOperatorNumber;
    QLabel* m_selectedRepairNumber;
};

} // namespace horunea
