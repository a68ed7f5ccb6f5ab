#pragma once

#include "ui/EditDialog.h"

#include <QDialog>
#include <QList>

class QLineEdit;

namespace horunea {

// Form12, "ホルネア→修理管理→自社情報": the shop's own name and contact data.
class OwnCompanyWindow : public EditDialog
{
    Q_OBJECT
public:
    explicit OwnCompanyWindow(QWidget* parent = nullptr);

    void LoadOwnCompany();
    void SaveOwnCompany();

private:
    QList<QLineEdit*> m_fields; // Text1 … Text6
    QStringList m_read;         // the row as it was read, for a change
};

} // namespace horunea
