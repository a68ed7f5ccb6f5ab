#pragma once

#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "store/DataView.h"
#include "store/SearchConditions.h"

#include <QObject>
#include <QStringList>

namespace horunea {

class Database;

// What the customer window knows of one open customer database, without a
// widget: the list pieces, the current-record holders, the rows of the three
// lists, the detail panel's values, and the headings and buttons that follow
// from them. The window draws it; the record editor, the search, the settings
// and the print commands work on it. Each opened account gets a new view.
//
// The log list shows the logs of SelectedSubjectId, none while it is "0", or
// the result of a log search; a log is only ever added to SelectedSubjectId.
class CustomerView : public QObject, public DataView
{
    Q_OBJECT
public:
    explicit CustomerView(Database& db, QObject* parent = nullptr);

    AccountKind kind() const override { return AccountKind::Operator; }
    Database& database() const override { return *m_db; }
    SearchKind mainSearchKind() const override { return SearchKind::Users; }

    // The load sequence: every piece and holder as at a first opening, the
    // sort pieces and free-field captions from the settings row, then the
    // three lists.
    void OpenCustomerWindow();

    void LoadUserList();
    void LoadSubjectList();
    void LoadLogList();
    void ShowUserDetail();
    void ApplySubjectFilter();

    // Commands of the toolbar and the lists.
    void selectKanaRow(KanaRow row);
    void setSubjectFilter(const QString& filter);
    void setIndividual(bool on);
    void selectUser(int row);
    void selectSubject(int row);
    void selectLog(int row);
    // The log list empties and no subject is current.
    void showNoLogs();
    // After the current user, subject or log was deleted (or found gone).
    void forgetUser();
    void forgetSubject();
    void forgetLog();
    // After the current user or subject was changed: its name follows.
    void renameUser(const QString& name);
    void renameSubject(const QString& title);

    // What the lists and the panel show after the editor stored a record:
    // a new user or subject has no logs shown yet; a changed user or
    // subject keeps its name in the holders and (a user) in the panel.
    void userStored(bool isNew, const QString& name);
    void subjectStored(bool isNew, const QString& title);
    void logStored();
    void recordVanished(const EditMode& mode) override;
    void recordDeleted(RecordKind kind) override;
    void reloadKeepingCurrent(const QStringList& tables = {}) override;
    // User, subject and log lists.
    QList<int> chosenRows() const override { return {m_userRow, m_subjectRow, m_logRow}; }

    // A search of the search window: the searched list's condition replaced
    // (a subject search shows both states of every user), the list
    // reloaded in its settings order, its heading naming the words. The next
    // kana row, filter or click rebuilds the pieces as usual.
    void Search(const SearchRequest& request) override;
    // After the sort order was stored: the sort pieces from the settings row
    // and the three lists reloaded in the new order.
    void applySortOrder() override;
    // After the captions were stored: the free-field captions follow.
    void applyFieldCaptions() override;

    void setSortClauses(const CustomerSortClauses& sort);
    void setFreeFieldCaptions(const QStringList& captions);
    void setOperatorNames(const QStringList& names);

    CustomerListQuery& query() { return m_query; }
    const CustomerListQuery& query() const { return m_query; }

    // Current-record holders, "0" for none.
    QString SelectedUserId = u"0"_qs;
    QString SelectedSubjectId = u"0"_qs;
    QString SelectedLogId = u"0"_qs;
    QString SelectedUserName;
    QString SelectedSubjectTitle;

    const QStringList& OperatorNames() const { return m_operatorNames; }
    const QStringList& freeFieldCaptions() const { return m_freeCaptions; }
    const ListRows& userRows() const { return m_users; }
    const ListRows& subjectRows() const { return m_subjects; }
    const ListRows& logRows() const { return m_logs; }
    // The detail panel: the current user's values in userDetailFields() order,
    // all empty when nobody is shown.
    const QStringList& userDetail() const { return m_detail; }
    QString detail(UserField field) const { return m_detail.value(int(field)); }

    // The item last clicked in each list, -1 when none (every refill of a
    // list forgets it), and its row.
    int selectedUserRow() const { return m_userRow; }
    int selectedSubjectRow() const { return m_subjectRow; }
    int selectedLogRow() const { return m_logRow; }
    QStringList selectedSubject() const;
    QStringList selectedLog() const;

    QString userHeading() const { return m_userHeading; }            // Label22
    QString subjectHeading() const;                                  // Label23
    QString subjectFilterHeading() const { return m_filterHeading; } // Label26
    QString logHeading() const;                                      // Label25
    bool individual() const { return m_individual; }                 // Check1
    bool individualEnabled() const { return m_individualEnabled; }
    bool canAddSubject() const { return SelectedUserId != u"0"; } // button 10, F8
    bool canAddLog() const { return SelectedSubjectId != u"0"; }  // button 11, F9

signals:
    void userListChanged();
    void subjectListChanged();
    void logListChanged();
    void detailChanged();
    void captionsChanged();
    // Holders, headings, buttons or the check box changed.
    void stateChanged();

private:
    // After a stored change: each list's chosen row is where its record now is.
    void chooseAgain();
    Database* m_db;
    CustomerListQuery m_query;
    ListRows m_users, m_subjects, m_logs;
    QStringList m_detail;
    QStringList m_freeCaptions;
    QStringList m_operatorNames;
    QString m_userHeading;
    QString m_filterHeading;
    // Headings a search put on the subject and log lists, until they are
    // rebuilt.
    QString m_subjectSearchHeading, m_logSearchHeading;
    bool m_individual = false;
    bool m_individualEnabled = false;
    int m_userRow = -1, m_subjectRow = -1, m_logRow = -1;
};

} // namespace horunea
