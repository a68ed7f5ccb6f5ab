#pragma once

#include "ui/EditDialog.h"

#include <QDialog>
#include <QList>

#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabWidget;

namespace horunea {

class Database;
class DataView;
class EnterNavigation;

// Form5, "ホルネア→各設定": the settings row of the open customer database
// (tab control SSTab1) or repair database (SSTab2), whichever the window was
// opened for; the other stays hidden. Tabs 並べ替え, 自由項目 and 余白設定;
// each change button stores its own group only, and closes the window.
//
// Controls: sort choices Combo1 … Combo6 (customer) and Combo7 … Combo12
// (repair); captions Text1 … Text5 and Text6 … Text8; margins 上 左 右 下
// Text9 … Text12 and Text13 … Text16 with their scroll bars VScroll1,
// HScroll1, HScroll2, VScroll2 and VScroll3, HScroll3, HScroll4, VScroll4;
// 並べ替え変更, 自由項目変更, 余白変更 Command1 … Command3 and Command5 …
// Command7; 閉じる Command4.
class SettingsWindow : public EditDialog
{
    Q_OBJECT
public:
    explicit SettingsWindow(DataView& view, QWidget* parent = nullptr);

    bool SettingsForCustomer() const;

private:
    // One tab control with its three tabs.
    struct Tabs
    {
        QTabWidget* tabs = nullptr;
        QList<QComboBox*> sortChoices; // key, direction, key, direction, key, direction
        QList<QLineEdit*> captions;
        std::array<QLineEdit*, 4> margins{};
        std::array<QScrollBar*, 4> bars{};
        QPushButton* sortButton = nullptr;
        QPushButton* captionButton = nullptr;
        QPushButton* marginButton = nullptr;
    };

    // How one tab control is made: its name, the lead of each sort row, the
    // sort choices, how many free-field captions it has, and the first
    // number of each family of control names (Combo5, Text1 …).
    struct TabsLayout
    {
        QString name;
        QStringList leads;
        std::array<QStringList, 3> keyChoices;
        int captionCount;
        int firstCombo;
        int firstText;
        int firstMarginText;
        int firstScroll;
        int firstCommand;
    };

    SettingsWindow(QWidget* parent);
    void buildCustomerTabs();
    void buildRepairTabs();
    Tabs buildTabs(const TabsLayout& layout);
    QWidget* buildSortPage(const TabsLayout& layout, Tabs& t, EnterNavigation& navigation);
    QWidget* buildCaptionPage(const TabsLayout& layout, Tabs& t, EnterNavigation& navigation);
    QWidget* buildMarginPage(const TabsLayout& layout, Tabs& t, EnterNavigation& navigation);
    void load();
    void saveSortOrder();
    void saveCaptions();
    void saveMargins();
    Database& database() const;
    Tabs& shownTabs();

    DataView* m_view = nullptr;
    Tabs m_customerTabs, m_repairTabs;
    QPushButton* m_close;
};

} // namespace horunea
