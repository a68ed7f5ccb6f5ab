#pragma once

#include "store/Accounts.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace horunea {

struct ImportProgress;
struct TransferResult;

// 外部ﾃﾞｰﾀ読込 (Form8), opened by the main menu's コンバート: copies the data of
// one account into another of its kind, and lays out the conversion of the
// previous version's files. No data window is open while it is shown.
class ImportWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ImportWindow(QWidget* parent = nullptr);

    // Refills the choosers of the tab now selected from the master database.
    void FillImportAccountLists();
    void ChooseCustomerSource(int index);
    void ChooseRepairSource(int index);
    void TransferCustomerData();
    void TransferRepairData();
    void ConvertPreviousCustomerData();
    void ConvertPreviousRepairData();
    void ShowImportProgress(const QString& text, qint64 done, qint64 total);
    void ShowImportStatus(const QString& text);
    // The text of the status bar's first panel.
    QString statusText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* accountTab(AccountKind kind);
    QWidget* previousVersionTab(bool customer);
    void chooseSource(QComboBox* source, QComboBox* passwords, QComboBox* destination, int index);
    void browsePrevious(QLabel* folder);
    ImportProgress progress();
    // Runs a transfer or conversion with the wait cursor, then shows its
    // summary, or its failure in the status bar; the progress bar goes back to 0.
    void runImport(const std::function<TransferResult()>& work);

    QTabWidget* m_tabs = nullptr;
    QComboBox *m_customerSource = nullptr, *m_repairSource = nullptr,
              *m_customerDestination = nullptr, *m_repairDestination = nullptr;
    QComboBox *m_previousCustomerDestination = nullptr, *m_previousRepairDestination = nullptr,
              *m_previousUsers = nullptr;
    QComboBox *m_customerSourcePasswords = nullptr, *m_repairSourcePasswords = nullptr;
    QCheckBox* m_repairParts[3] = {};
    QPushButton *m_customerStart = nullptr, *m_repairStart = nullptr;
    QPushButton *m_previousCustomerStart = nullptr, *m_previousRepairStart = nullptr;
    QLabel *m_previousCustomerFolder = nullptr, *m_previousRepairFolder = nullptr;
    QProgressBar* m_progress = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_panel = nullptr;
};

} // namespace horunea
