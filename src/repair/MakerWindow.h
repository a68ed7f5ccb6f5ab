#pragma once

#include "ui/EditDialog.h"

#include <QDialog>
#include <QList>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace horunea {

class ReportListView;

// Form11, "ホルネア→修理管理→ﾒｰｶｰ情報": the makers and repair destinations.
// Idle (no button), new entry (追加) or a maker selected (変更, 削除).
class MakerWindow : public EditDialog
{
    Q_OBJECT
public:
    explicit MakerWindow(QWidget* parent = nullptr);

    void LoadMakerList();
    void ClearMakerFields();
    QAction* toolbarButton(int index) const { return m_buttons.value(index - 1); }
    ReportListView* makerList() const { return m_list; }
    QString SelectedMakerId = u"0"_qs;

private:
    void makerClicked(int row);
    void newEntry();
    void add();
    void change();
    void remove();
    QStringList fieldValues() const;
    void showButtons(bool add, bool changeAndDelete);

    QList<QAction*> m_buttons;
    ReportListView* m_list;
    QList<QLineEdit*> m_fields; // Text1 … Text9
    QStringList m_read;         // the chosen maker as it was read, for a change
    QPushButton* m_add;
    QPushButton* m_change;
    QPushButton* m_delete;
    QLabel* m_selected;
};

} // namespace horunea
