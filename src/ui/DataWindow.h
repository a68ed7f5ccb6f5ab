#pragma once

#include "store/EditMode.h"
#include "store/SearchConditions.h"
#include "ui/DataWindowParts.h"
#include "ui/FunctionKeys.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QMenu;

namespace horunea {

// What the two data windows share: the toolbar Toolbar1 with its print menu
// and function keys, the keys they see before their controls do, the value
// and caption labels of their detail panels, their last normal or maximised
// state in the session, their layout as they are resized, and their unload
// sequence, run once when they close. They delete themselves when closed.
class DataWindow : public QMainWindow
{
    Q_OBJECT
public:
    DataWindow(Qt::WindowStates* savedState, QWidget* parent = nullptr);
    ~DataWindow() override;

    // The toolbar buttons both data windows have, by their index.
    enum SharedButton {
        SwitchButton = 1,
        CloseButton = 3,
        ChangeAccountButton = 4,
        PrintButton = 5,
        SettingsButton = 6,
        SearchButton = 7,
    };

    // Carries out toolbar button n as a click would; a store error is shown.
    void triggerButton(int index);
    QAction* toolbarButton(int index) const;
    // Takes the keyboard to the list a search of that kind filled, so that
    // the arrow keys move in what was found.
    virtual void focusFound(SearchKind kind) = 0;

signals:
    void switchRequested();                      // F1: the other kind of data
    void changeAccountRequested();               // F3
    void printRequested();                       // F4
    void printListRequested(const QString& key); // button 5's menu
    void settingsRequested();                    // F5
    void searchRequested();                      // F6
    void editorRequested(horunea::RecordKind kind, bool isNew);
    // The unload sequence has emptied the lists; the session decides what
    // comes next, then the database is closed.
    void unloading();

protected:
    // Toolbar1 with buttons 1 … count (the indexes without a spec are
    // separators), the given ones hidden, and button 5's print menu.
    void createToolbar(int count, const QList<ToolbarButton>& specs, const QList<int>& hidden,
                       const QList<MenuItem>& printItems);
    void setButtonVisible(int index, bool visible);

    // What button n does.
    virtual void command(int index) = 0;
    // Buttons 1 to 7, the same in both windows: the other kind of data,
    // close, another account, print, settings, search. False for any other.
    bool sharedCommand(int index);
    // The button a function key presses; 0 for none.
    virtual int buttonForKey(const FunctionKey& key) const = 0;
    // Buttons whose key acts only while the button is shown.
    virtual bool keyNeedsVisibleButton(int index) const = 0;
    // Whether a key other than the function keys is kept from the controls.
    virtual bool consumesKey(const QKeyEvent* key) const = 0;
    virtual void layoutChildren() = 0;
    // The unload sequence: the lists are emptied, then (after unloading())
    // the account is closed.
    virtual void clearLists() = 0;
    virtual void closeAccount() = 0;

    // A value label of a detail panel, and caption texts put on labels.
    static QLabel* valueLabel(const QString& name, QWidget* parent);
    static void setTexts(const QList<QLabel*>& labels, const QStringList& texts);
    static QStringList textsOf(const QList<QLabel*>& labels);
    static QStringList itemsOf(const QComboBox* combo);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

    QWidget* m_central;

private:
    void saveState();

    Qt::WindowStates* m_savedState;
    QList<QAction*> m_buttons; // index n at [n], separators included
    bool m_unloaded = false;
};

} // namespace horunea
