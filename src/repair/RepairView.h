#pragma once

#include "repair/RepairQueries.h"
#include "store/DataView.h"
#include "store/SearchConditions.h"
#include "store/TextRow.h"

#include <QHash>
#include <QObject>
#include <QStringList>

namespace horunea {

class Database;

// What the repair window knows of one open repair database, without a
// widget: the list pieces, the current-record holders, the rows of the three
// lists, the detail panel's record, which list is shown, and the headings
// and buttons that follow. The window draws it; the record editor, the
// search, the settings and the print commands work on it. Each opened
// account gets a new view.
//
// A repair log can only be added while the log list shows the logs of the
// current repair (button 14): never to a repair that is not shown or gone.
class RepairView : public QObject, public DataView
{
    Q_OBJECT
public:
    explicit RepairView(Database& db, QObject* parent = nullptr);

    AccountKind kind() const override { return AccountKind::Repair; }
    Database& database() const override { return *m_db; }
    SearchKind mainSearchKind() const override
    {
        return unpaidShown() ? SearchKind::Unpaid : SearchKind::Repairs;
    }

    // The load sequence, as at a first opening.
    void OpenRepairWindow();

    void LoadRepairList();
    void LoadUnpaidList();
    void LoadRepairLogList();
    void LoadMakerCombo();
    void ApplyRepairFilter();
    void SetRepairFilter(const QString& filter);
    void ToggleUnpaidList();
    void ShowRepairDetail();

    // A click in the repair list or the unpaid list, and in the log list.
    void selectRepair(bool fromUnpaidList, int row);
    void selectRepairLog(int row);
    // After the current repair or repair log was deleted (or found gone).
    void forgetRepair();
    void forgetRepairLog();
    // After a new repair: the log list shows no repair's logs.
    void showNoRepairLogs();

    // What the lists and the panel show after the editor stored a record: a
    // new repair has no logs shown yet; a changed one is shown anew in the
    // panel, which hands the next change its values.
    void repairStored(bool isNew);
    void repairLogStored();
    void recordVanished(const EditMode& mode) override;
    void recordDeleted(RecordKind kind) override;
    void reloadKeepingCurrent(const QStringList& tables = {}) override;
    // The repair list, the unpaid list and the repair log list.
    QList<int> chosenRows() const override
    {
        return {m_unpaidShown ? -1 : m_repairRow, m_unpaidShown ? m_repairRow : -1, m_logRow};
    }

    // A search of the search window: the searched list's condition replaced
    // (a repair search shows every state), the list reloaded in its settings
    // order, its heading naming the words.
    void Search(const SearchRequest& request) override;
    // After the sort order was stored: the sort pieces from the settings row
    // and the three lists reloaded in the new order.
    void applySortOrder() override;
    // After the captions were stored: the free-field captions follow.
    void applyFieldCaptions() override;

    void setSortClauses(const RepairSortClauses& sort);
    void setFreeFieldCaptions(const QStringList& captions);
    void setOperatorNames(const QStringList& names);

    RepairListQuery& query() { return m_query; }
    const RepairListQuery& query() const { return m_query; }

    QString SelectedRepairId = u"0"_qs;
    QString SelectedRepairLogId = u"0"_qs;
    QString SelectedRepairName;

    const QStringList& OperatorNames() const { return m_operatorNames; }
    const QStringList& MakerNames() const { return m_makerNames; }
    const QStringList& freeFieldCaptions() const { return m_freeCaptions; }
    const ListRows& repairRows() const { return m_repairs; }
    const ListRows& unpaidRows() const { return m_unpaid; }
    const ListRows& repairLogRows() const { return m_logs; }
    // The panel's repair, every field as text by name; empty when none.
    const QHash<QString, QString>& repairDetail() const { return m_detail; }

    bool unpaidShown() const { return m_unpaidShown; }
    int selectedRepairLogRow() const { return m_logRow; }
    QStringList selectedRepairLog() const;
    // The item last clicked in the list now shown, -1 when none.
    int selectedRepairRow() const { return m_repairRow; }

    QString repairHeading() const { return m_repairHeading; } // Label23
    QString unpaidHeading() const;                            // Label35
    QString repairLogHeading() const;                         // Label24
    bool canAddRepairLog() const;                             // button 14, F11

signals:
    void repairListChanged();
    void unpaidListChanged();
    void repairLogListChanged();
    void detailChanged();
    void makersChanged();
    void captionsChanged();
    // Holders, headings, buttons or the list shown changed.
    void stateChanged();

private:
    // After a stored change: each list's chosen row is where its record now is.
    void chooseAgain();
    void setLogsOf(const QString& repairId);

    Database* m_db;
    RepairListQuery m_query;
    ListRows m_repairs, m_unpaid, m_logs;
    QHash<QString, QString> m_detail;
    QStringList m_operatorNames, m_makerNames, m_freeCaptions;
    QString m_repairHeading;
    // Headings a search put on the unpaid and repair-log lists, until they
    // are rebuilt.
    QString m_unpaidSearchHeading, m_logSearchHeading;
    QString m_logsOf = u"0"_qs; // the repair whose logs the log list shows
    bool m_unpaidShown = false;
    bool m_logButton = false; // button 14 shown
    int m_repairRow = -1, m_logRow = -1;
};

} // namespace horunea
