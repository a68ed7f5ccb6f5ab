#pragma once

#include "store/RowChange.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace horunea {

class EnterNavigation;
class MultiLineBox;

// The parts of Form7 that every record kind's form works in: the dialog,
// its title line, its three buttons and its Enter order.
struct EditorFrame
{
    QWidget* dialog = nullptr;
    QLabel* title = nullptr;
    QPushButton* save = nullptr;   // Command1: 追加 or 変更
    QPushButton* second = nullptr; // Command2: 初期化 or 削除
    QPushButton* close = nullptr;  // Command3: 閉じる
    EnterNavigation* navigation = nullptr;
};

// What the forms share: sizes in twips, the framed group, headings, and the
// text of a box of any kind.
namespace editor {

constexpr int DialogWidth = 8090;
constexpr int RowHeight = 300;
constexpr int BoxHeight = 285;
constexpr int LogExtra = 570; // a log box shows three lines

QFrame* group(QWidget* parent, const QString& name);
QLabel* heading(QWidget* parent, const QString& text, int left, int top, int width = 2700);
QString boxText(const QWidget* box);
void setBoxText(QWidget* box, const QString& text);
// A date box (see DateBox), named by its caption in what it says.
QDateEdit* datePicker(QWidget* parent, const QString& name, const QString& caption);

// The group of a log or a repair log: a date, a recorder to pick or type,
// and the log's text of three lines.
struct LogGroup
{
    QFrame* frame = nullptr;
    QDateEdit* date = nullptr;
    QComboBox* recorder = nullptr;
    MultiLineBox* text = nullptr;
};
// Its object names (Frame3, DTPicker2, Combo2, Text24 …) and its date's caption.
struct LogGroupNames
{
    QString frame, date, recorder, text, dateCaption;
};

} // namespace editor

// What became of storing a form's fields.
enum class StoreResult {
    Stored,
    Gone,             // the record, or the one a new record is added to, is gone
    ChangedElsewhere, // another PC changed the record since it was read: the
                      // form now shows it as stored, nothing was written
};

// One record kind's group of fields in Form7 and what is done with them.
class RecordForm
{
public:
    explicit RecordForm(const EditorFrame& frame) : m_frame(frame) {}
    virtual ~RecordForm() = default;
    RecordForm(const RecordForm&) = delete;
    RecordForm& operator=(const RecordForm&) = delete;

    // Builds the group and places it, the buttons and the dialog; the form
    // of a new record starts reset, under its title, its first box focused.
    virtual void build(bool isNew) = 0;
    // Shows the current record for a change, under its title.
    virtual void fill() = 0;
    // Empties the fields for a new record (初期化).
    virtual void reset() = 0;
    // The box of a mandatory field left empty, and what to say of it;
    // nullptr when every one is there.
    virtual QWidget* missing(QString* message) const = 0;
    // Stores the fields and has the view show them.
    virtual StoreResult store(bool isNew) = 0;
    // Deletes the current record; false when it is gone.
    virtual bool remove() = 0;

protected:
    QLineEdit* lineEdit(QWidget* parent, const QString& name, int mode);
    MultiLineBox* multiLine(QWidget* parent, const QString& name);
    QLabel* caption(QWidget* parent, const QString& text, int left, int top, int width = 1000);
    // A change shows the stored date; one that is no date stays as stored
    // unless another date is picked.
    void showStoredDate(QDateEdit* picker, const QString& stored);
    bool keepsStoredDate(const QDateEdit* picker) const;
    // After another PC changed the record: each box shows the stored value,
    // except where the user typed something other than what was read and
    // other than what is stored: that stays, marked, for the user to decide.
    static void showStoredBeside(const QList<QWidget*>& boxes, const QStringList& read,
                                 const QStringList& stored);
    // The same for a date picker given *shown: the stored date unless the
    // user picked another than the one shown; *shown follows.
    void showStoredDateBeside(QDateEdit* picker, QDate* shown, const QString& stored);
    // A log group's date, recorder and text likewise; *read becomes stored.
    void showStoredLog(const editor::LogGroup& group, QStringList* read, QDate* shown,
                       const QStringList& stored);
    // What a change's outcome means to the editor; showStored runs when
    // another PC changed the record.
    static StoreResult afterChange(ChangeOutcome outcome, const std::function<void()>& showStored);
    // The three buttons under a group, and the dialog's size, in twips.
    void placeButtons(int top, int width);
    void setDialogSize(int width, int height);
    // A log's group, built, placed, in Enter order up to 追加/変更, shown,
    // with the buttons and the dialog placed under it.
    editor::LogGroup buildLogGroup(const editor::LogGroupNames& names,
                                   const QStringList& recorders);

    EditorFrame m_frame;

private:
    std::optional<QDate> m_keptDate; // the picker's date while it shows no stored date
};

} // namespace horunea
