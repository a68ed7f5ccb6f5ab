#pragma once

#include "admin/AccountAdmin.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace horunea {

class ReportListView;

// Form13: the administrator's login. Accepted when the name and password
// are right.
class AdministratorLoginWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AdministratorLoginWindow(QWidget* parent = nullptr);

private:
    void logIn();

    QLineEdit* m_name;
    QLineEdit* m_password;
};

// Form10: the administrator's credentials and the accounts of both kinds.
class AdministratorMenuWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AdministratorMenuWindow(QWidget* parent = nullptr);

    void LoadAdminOperatorList();
    void LoadAdminRepairList();

private:
    // The controls of one account band.
    struct Band
    {
        AccountKind kind;
        ReportListView* list;
        QLineEdit* newName;
        QLineEdit* newPassword;
        QPushButton* create;
        QLineEdit* editName;
        QLineEdit* oldPassword;
        QLineEdit* changedPassword;
        QPushButton* change;
        QPushButton* remove;
        QLabel* number;
    };

    void createCredentials();
    Band createBand(AccountKind kind, int left);
    void loadList(Band& band);
    void accountClicked(Band& band, int row);
    void createAccount(Band& band);
    void changeAccount(Band& band);
    void removeAccount(Band& band);
    void saveAdministrator();
    void backUp();
    void restore();
    void moveFromWindows();
    // Shows the administrator and both account lists as main.mdb has them.
    void showMaster();
    // Runs a backup or restore with a progress dialog.
    bool withProgress(
        const QString& title,
        const std::function<void(const std::function<void(int, int, const QString&)>&)>& work);

    QLineEdit* m_administratorName;
    QLineEdit* m_administratorPassword;
    Band m_operators;
    Band m_repairs;
};

// Drops the characters an account or administrator name may not hold, as
// they are typed (and from pasted text).
void refuseNameCharacters(QLineEdit* box);

// Moves the shop of a Windows version's folder into the data folder, as the
// user agrees: the check's findings shown first (what only the Windows
// version can mend stops it; for the rest the user says go on), then the
// move under a progress dialog with キャンセル, then what was done. The
// caller lets go of main.mdb first. Returns whether the shop was moved.
bool MoveShopFromWindows(QWidget* parent, const QString& windowsFolder);

// At start, on a data folder that holds the Windows version's files: says
// so and offers the move. False when the program cannot go on (the user
// declined, or the move did not happen).
bool OfferMoveFromWindows();

} // namespace horunea
