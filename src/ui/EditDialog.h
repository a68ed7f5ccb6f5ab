#pragma once

#include <QDialog>
#include <QStringList>

namespace horunea {

// A window in which records are typed. Escape and the close box ask
// "入力内容を破棄しますか？" (default いいえ) when any box differs from what the
// window last showed from storage; its own 閉じる button closes at once.
class EditDialog : public QDialog
{
    Q_OBJECT
public:
    using QDialog::QDialog;

    // What the boxes hold now is what the window shows from storage.
    void markUnchanged();
    bool isChanged() const;
    // Escape and the close box.
    void reject() override;
    // 閉じる: closes without asking.
    void closeWithoutAsking();

    // The values of every box, list choice and check box under root, in order.
    static QStringList inputsOf(const QWidget* root);

private:
    QStringList m_unchanged;
};

} // namespace horunea
