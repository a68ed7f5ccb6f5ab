#pragma once

#include <QPlainTextEdit>

namespace horunea {

// A box for a log or a remark: it keeps the line breaks of pasted text and
// takes a line break with Shift+Enter, while a plain Enter is left to the
// Enter order of its dialog. Reads and writes like a line edit.
class MultiLineBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit MultiLineBox(QWidget* parent = nullptr);

    QString text() const { return toPlainText(); }
    void setText(const QString& text) { setPlainText(text); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace horunea
