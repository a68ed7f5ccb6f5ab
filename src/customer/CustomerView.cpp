#include "customer/CustomerView.h"

#include "customer/CustomerSettings.h"
#include "store/Database.h"

namespace horunea {

namespace {

const QString NoKey = u"0"_qs;

QStringList emptyDetail()
{
    return QStringList(userDetailFields().size(), QString());
}

} // namespace

CustomerView::CustomerView(Database& db, QObject* parent)
    : QObject(parent), m_db(&db), m_detail(emptyDetail()), m_userHeading(u"ユーザー表示"_qs)
{
    m_filterHeading = m_query.ApplySubjectFilter(false, NoKey);
}

void CustomerView::OpenCustomerWindow()
{
    m_query = CustomerListQuery();
    SelectedUserId = SelectedSubjectId = SelectedLogId = NoKey;
    SelectedUserName.clear();
    SelectedSubjectTitle.clear();
    m_detail = emptyDetail();
    m_userHeading = u"ユーザー表示"_qs;
    m_subjectSearchHeading.clear();
    m_logSearchHeading.clear();
    m_individual = m_individualEnabled = false;
    m_query.SubjectFilter = u"続行"_qs;
    ApplySubjectFilter();
    m_query.resetLogQuery();
    m_query.setSortClauses(BuildCustomerSortClauses(*m_db));
    LoadUserList();
    LoadSubjectList();
    LoadLogList();
    m_freeCaptions = CustomerFieldCaptions(*m_db);
    emit detailChanged();
    emit captionsChanged();
    emit stateChanged();
}

void CustomerView::LoadUserList()
{
    m_users = LoadUserRows(*m_db, m_query.userStatement());
    m_userRow = -1;
    emit userListChanged();
}

void CustomerView::LoadSubjectList()
{
    m_subjects = LoadSubjectRows(*m_db, m_query.subjectStatement());
    m_subjectRow = -1;
    emit subjectListChanged();
}

void CustomerView::LoadLogList()
{
    m_logs = LoadLogRows(*m_db, m_query.logStatement());
    m_logRow = -1;
    emit logListChanged();
}

void CustomerView::ShowUserDetail()
{
    const QStringList values = ReadUserDetail(*m_db, SelectedUserId);
    m_detail = values.isEmpty() ? emptyDetail() : values;
    emit detailChanged();
}

void CustomerView::ApplySubjectFilter()
{
    m_subjectSearchHeading.clear();
    m_filterHeading = m_query.ApplySubjectFilter(m_individual, SelectedUserId);
    emit stateChanged();
}

void CustomerView::selectKanaRow(KanaRow row)
{
    m_userHeading = kanaRowHeading(row);
    m_query.UserWhere = kanaRowCondition(row);
    LoadUserList();
    emit stateChanged();
}

void CustomerView::setSubjectFilter(const QString& filter)
{
    m_query.SubjectFilter = filter;
    ApplySubjectFilter();
    LoadSubjectList();
    showNoLogs();
}

void CustomerView::setIndividual(bool on)
{
    m_individual = on;
    ApplySubjectFilter();
    LoadSubjectList();
    showNoLogs();
}

void CustomerView::selectUser(int row)
{
    if (row < 0 || size_t(row) >= m_users.size())
        return;
    const QStringList& user = m_users[size_t(row)];
    SelectedUserId = checkedKey(cell(user, UserColumn::Id));
    SelectedUserName = cell(user, UserColumn::Name);
    m_userRow = row;
    ShowUserDetail();
    if (m_individual) {
        ApplySubjectFilter();
        LoadSubjectList();
    }
    m_individualEnabled = true;
    showNoLogs();
}

void CustomerView::selectSubject(int row)
{
    if (row < 0 || size_t(row) >= m_subjects.size())
        return;
    const QStringList subject = m_subjects[size_t(row)];
    const QString subjectId = checkedKey(cell(subject, SubjectColumn::Id));
    SelectedUserName = cell(subject, SubjectColumn::UserName);
    SelectedSubjectTitle = cell(subject, SubjectColumn::Title);
    SelectedUserId = checkedKey(cell(subject, SubjectColumn::UserId));
    SelectedSubjectId = subjectId;
    SelectedLogId = NoKey;
    m_subjectRow = row;
    // The subject's user is the chosen one: its row where the user list
    // shows it, else none.
    m_userRow = rowOfKey(m_users, SelectedUserId);
    m_subjectSearchHeading.clear();
    m_logSearchHeading.clear();
    ShowUserDetail();
    m_query.showLogsOf(SelectedSubjectId);
    LoadLogList();
    m_individualEnabled = true;
    emit stateChanged();
}

void CustomerView::selectLog(int row)
{
    if (row < 0 || size_t(row) >= m_logs.size())
        return;
    SelectedLogId = checkedKey(cell(m_logs[size_t(row)], LogColumn::Id));
    m_logRow = row;
    emit stateChanged();
}

void CustomerView::showNoLogs()
{
    SelectedSubjectId = SelectedLogId = NoKey;
    m_subjectRow = m_logRow = -1; // no subject is chosen, none highlighted
    SelectedSubjectTitle.clear();
    m_logSearchHeading.clear();
    m_query.resetLogQuery();
    LoadLogList();
    emit stateChanged();
}

void CustomerView::forgetUser()
{
    SelectedUserId = NoKey;
    SelectedUserName.clear();
    m_userRow = -1;
    m_detail = emptyDetail();
    emit detailChanged();
    if (m_individual)
        ApplySubjectFilter();
    forgetSubject();
}

void CustomerView::forgetSubject()
{
    m_subjectRow = -1;
    showNoLogs();
}

void CustomerView::forgetLog()
{
    SelectedLogId = NoKey;
    m_logRow = -1;
    emit stateChanged();
}

void CustomerView::renameUser(const QString& name)
{
    SelectedUserName = name;
    emit stateChanged();
}

void CustomerView::renameSubject(const QString& title)
{
    SelectedSubjectTitle = title;
    emit stateChanged();
}

void CustomerView::Search(const SearchRequest& request)
{
    applySearch(m_query, request);
    const QString heading = searchHeading(request);
    switch (request.kind) {
    case SearchKind::Users:
        LoadUserList();
        m_userHeading = heading;
        break;
    case SearchKind::Subjects:
        LoadSubjectList();
        m_subjectSearchHeading = heading;
        break;
    default:
        LoadLogList();
        m_logSearchHeading = heading;
        break;
    }
    emit stateChanged();
}

void CustomerView::applySortOrder()
{
    m_query.setSortClauses(BuildCustomerSortClauses(*m_db));
    LoadUserList();
    LoadSubjectList();
    LoadLogList();
}

void CustomerView::applyFieldCaptions()
{
    setFreeFieldCaptions(CustomerFieldCaptions(*m_db));
}

void CustomerView::setSortClauses(const CustomerSortClauses& sort)
{
    m_query.setSortClauses(sort);
}

void CustomerView::setFreeFieldCaptions(const QStringList& captions)
{
    m_freeCaptions = captions;
    emit captionsChanged();
}

void CustomerView::setOperatorNames(const QStringList& names)
{
    m_operatorNames = names;
}

QStringList CustomerView::selectedSubject() const
{
    return m_subjectRow < 0 ? QStringList() : m_subjects[size_t(m_subjectRow)].toList();
}

QStringList CustomerView::selectedLog() const
{
    return m_logRow < 0 ? QStringList() : m_logs[size_t(m_logRow)].toList();
}

QString CustomerView::subjectHeading() const
{
    if (!m_subjectSearchHeading.isEmpty())
        return m_subjectSearchHeading;
    // The heading names the user while the list is about that user: one of
    // its subjects is current, or 個々で表示 limits the list to it.
    if (SelectedUserId != NoKey && (SelectedSubjectId != NoKey || m_individual))
        return u"　"_qs + SelectedUserName + u" の件名表示"_qs;
    return u" 件名表示　"_qs;
}

QString CustomerView::logHeading() const
{
    if (!m_logSearchHeading.isEmpty())
        return m_logSearchHeading;
    if (SelectedSubjectId != NoKey)
        return u"　"_qs + SelectedSubjectTitle + u" のログ(メモ)表示"_qs;
    return u"　ログ（メモ）表示"_qs;
}

void CustomerView::userStored(bool isNew, const QString& name)
{
    if (isNew) {
        showNoLogs();
    } else {
        // The panel shows this user: keep it true, so that the next change
        // does not start from what was there before.
        renameUser(name);
        ShowUserDetail();
    }
    LoadUserList();
    LoadSubjectList();
    LoadLogList();
    chooseAgain();
}

void CustomerView::subjectStored(bool isNew, const QString& title)
{
    if (isNew)
        showNoLogs();
    else
        renameSubject(title);
    LoadSubjectList();
    LoadLogList();
    chooseAgain();
}

void CustomerView::logStored()
{
    LoadLogList();
    chooseAgain();
}

void CustomerView::chooseAgain()
{
    // Where the chosen records are listed after the lists were read again.
    m_userRow = rowOfKey(m_users, SelectedUserId);
    m_subjectRow = rowOfKey(m_subjects, SelectedSubjectId);
    m_logRow = rowOfKey(m_logs, SelectedLogId);
    emit stateChanged();
}

void CustomerView::recordVanished(const EditMode& mode)
{
    // A new subject hung on the user, a new log on the subject: those are gone.
    const RecordKind kind = mode.EditKind;
    if (kind == RecordKind::User || (kind == RecordKind::Subject && mode.EditIsNew))
        forgetUser();
    else if (kind == RecordKind::Subject || (kind == RecordKind::Log && mode.EditIsNew))
        forgetSubject();
    else if (kind == RecordKind::Log)
        forgetLog();
    LoadUserList();
    LoadSubjectList();
    LoadLogList();
}

void CustomerView::reloadKeepingCurrent(const QStringList& tables)
{
    // Each list reads again only when a table it shows changed; a table no
    // list reads (設定: the order, the captions) reads everything again.
    const QStringList listed{u"ユーザー"_qs, u"件名"_qs, u"ログ"_qs};
    bool all = tables.isEmpty();
    for (const QString& table : tables)
        all = all || !listed.contains(table);
    const bool users = all || tables.contains(u"ユーザー"_qs);
    const bool subjects = users || tables.contains(u"件名"_qs); // shows the user's name
    const bool logs = all || tables.contains(u"ログ"_qs);
    const auto gone = [this](const QString& table, const QString& field, const QString& key) {
        return key != u"0" && m_db->scalar(u"SELECT COUNT(*) FROM "_qs + table + u" WHERE "_qs +
                                           keyCondition(field, key)) == 0;
    };
    if (users && gone(u"ユーザー"_qs, u"ユーザーID"_qs, SelectedUserId))
        forgetUser();
    else if (subjects && gone(u"件名"_qs, u"件名ID"_qs, SelectedSubjectId))
        forgetSubject();
    else if (logs && gone(u"ログ"_qs, u"ログID"_qs, SelectedLogId))
        forgetLog();
    const int userRow = m_userRow, subjectRow = m_subjectRow, logRow = m_logRow;
    if (users)
        LoadUserList();
    if (subjects)
        LoadSubjectList();
    if (logs)
        LoadLogList();
    // A row that was chosen is chosen again where its record now is.
    m_userRow = userRow < 0 ? -1 : rowOfKey(m_users, SelectedUserId);
    m_subjectRow = subjectRow < 0 ? -1 : rowOfKey(m_subjects, SelectedSubjectId);
    m_logRow = logRow < 0 ? -1 : rowOfKey(m_logs, SelectedLogId);
    if (users && SelectedUserId != u"0")
        ShowUserDetail();
    emit stateChanged();
}

void CustomerView::recordDeleted(RecordKind kind)
{
    switch (kind) {
    case RecordKind::User:
        forgetUser();
        LoadUserList();
        LoadSubjectList();
        break;
    case RecordKind::Subject:
        forgetSubject();
        LoadSubjectList();
        break;
    case RecordKind::Log:
        forgetLog();
        LoadLogList();
        break;
    default:
        break;
    }
}

} // namespace horunea
