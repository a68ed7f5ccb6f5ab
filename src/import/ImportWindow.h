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
    QComboBox *m_combo1 = nullptr, *m_combo2 = nullptr, *m_combo3 = nullptr, *m_combo4 = nullptr;
    QComboBox *m_combo5 = nullptr, *m_combo6 = nullptr, *m_combo7 = nullptr;
    QComboBox *m_combo8 = nullptr, *m_combo9 = nullptr;
    QCheckBox* m_check2[3] = {};
    QPushButton *m_command1 = nullptr, *m_command2 = nullptr;
    QPushButton *m_command3 = nullptr, *m_command5 = nullptr;
    QLabel *m_label19 = nullptr, *m_label20 = nullptr;
    QProgressBar* m_progress = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_panel = nullptr;
};

} // namespace horunea
