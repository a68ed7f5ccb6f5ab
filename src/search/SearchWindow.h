#pragma once

#include "store/SearchConditions.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace horunea {

class DataView;

// Form6, "ホルネア→顧客管理→検索": what to search, one or two words and how
// they join. 検索開始 replaces the condition of one list of the calling
// window, reloads it under a heading naming the words, and closes.
//
// Customer panel: Option1_0 … Option1_2 (ﾕｰｻﾞｰ, 件名, ログ), Text1, Combo1,
// Text2, Check1. Repair panel: Option2_0 … Option2_2 (修理, 入金, ログ),
// Text3, Combo2, Text4, Check2. Command1 検索開始, Command2 閉じる.
class SearchWindow : public QDialog
{
    Q_OBJECT
public:
    explicit SearchWindow(DataView& view, QWidget* parent = nullptr);

    bool SearchForCustomer() const;
    // What 検索開始 would search, from the panel shown.
    SearchRequest request() const;

private:
    struct Panel
    {
        QWidget* panel = nullptr;
        QList<QRadioButton*> options;
        QLineEdit* word1 = nullptr;
        QComboBox* join = nullptr;
        QLineEdit* word2 = nullptr;
        QCheckBox* folded = nullptr;
    };

    explicit SearchWindow(QWidget* parent);
    Panel buildPanel(const QStringList& options, int optionArray, int firstText, int combo,
                     int check);
    void joinChanged(const Panel& p);
    Panel& shownPanel();
    void start();

    DataView* m_view = nullptr;
    Panel m_customerPanel, m_repairPanel;
    QPushButton* m_start;
    QPushButton* m_close;
};

} // namespace horunea
