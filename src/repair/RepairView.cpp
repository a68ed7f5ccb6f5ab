#include "repair/RepairView.h"

#include "repair/RepairSettings.h"
#include "repair/RepairStorage.h"
#include "store/Database.h"

namespace horunea {

namespace {
const QString NoKey = u"0"_qs;
}

RepairView::RepairView(Database& db, QObject* parent) : QObject(parent), m_db(&db)
{
    m_repairHeading = m_query.ApplyRepairFilter();
}

void RepairView::OpenRepairWindow()
{
    m_query = RepairListQuery();
    SelectedRepairId = SelectedRepairLogId = NoKey;
    SelectedRepairName.clear();
    m_detail.clear();
    m_unpaid.clear();
    m_unpaidShown = false;
    m_logButton = false;
    m_logsOf = NoKey;
    m_unpaidSearchHeading.clear();
    m_logSearchHeading.clear();
    m_query.RepairFilter = u"続行"_qs;
    ApplyRepairFilter();
    m_query.RepairLogWhere = u" WHERE 修理ログID = 0";
    m_query.UnpaidSearchClause.clear();
    m_query.setSortClauses(BuildRepairSortClauses(*m_db));
    LoadRepairList();
    LoadRepairLogList();
    m_freeCaptions = RepairFieldCaptions(*m_db);
    LoadMakerCombo();
    emit unpaidListChanged();
    emit detailChanged();
    emit captionsChanged();
    emit stateChanged();
}

void RepairView::LoadRepairList()
{
    m_repairs = LoadRepairRows(*m_db, m_query.repairStatement());
    if (!m_unpaidShown)
        m_repairRow = -1;
    emit repairListChanged();
}

void RepairView::LoadUnpaidList()
{
    m_unpaid = LoadUnpaidRows(*m_db, m_query.unpaidStatement());
    if (m_unpaidShown)
        m_repairRow = -1;
    emit unpaidListChanged();
}

void RepairView::LoadRepairLogList()
{
    m_logs = LoadRepairLogRows(*m_db, m_query.repairLogStatement());
    m_logRow = -1;
    emit repairLogListChanged();
}

void RepairView::LoadMakerCombo()
{
    m_makerNames = LoadMakerNames(*m_db);
    emit makersChanged();
}

void RepairView::ApplyRepairFilter()
{
    m_repairHeading = m_query.ApplyRepairFilter();
    emit stateChanged();
}

void RepairView::SetRepairFilter(const QString& filter)
{
    m_query.RepairFilter = filter;
    ApplyRepairFilter();
    LoadRepairList();
    // The current repair stays current (its panel shows), but its logs are
    // no longer listed, so no log can be added until it is chosen again.
    m_query.emptyRepairLogQuery();
    setLogsOf(NoKey);
    LoadRepairLogList();
}

void RepairView::ToggleUnpaidList()
{
    if (!m_unpaidShown) {
        m_query.UnpaidSearchClause.clear();
        m_unpaidSearchHeading.clear();
        m_unpaidShown = true;
        m_logButton = false;
        LoadUnpaidList();
    } else {
        m_unpaidShown = false;
        m_logButton = m_logsOf != NoKey && m_logsOf == SelectedRepairId;
        LoadRepairList();
    }
    m_repairRow = -1;
    emit stateChanged();
}

void RepairView::ShowRepairDetail()
{
    const auto repair = ReadRepair(*m_db, SelectedRepairId);
    if (!repair)
        return; // the panel keeps what it showed
    m_detail = *repair;
    emit detailChanged();
}

void RepairView::selectRepair(bool fromUnpaidList, int row)
{
    const ListRows& rows = fromUnpaidList ? m_unpaid : m_repairs;
    if (row < 0 || size_t(row) >= rows.size())
        return;
    const QStringList repair = rows[size_t(row)];
    SelectedRepairId = checkedKey(cell(repair, RepairColumn::Id));
    SelectedRepairLogId = NoKey;
    m_repairRow = row;
    ShowRepairDetail();
    m_logSearchHeading.clear();
    m_query.showLogsOf(SelectedRepairId);
    m_logsOf = SelectedRepairId;
    LoadRepairLogList();
    // お客様 and 会社 stand in the same columns of both lists.
    const QString customer = cell(repair, RepairColumn::Customer);
    SelectedRepairName = customer.isEmpty() ? cell(repair, RepairColumn::Company) : customer;
    m_logButton = true;
    emit stateChanged();
}

void RepairView::selectRepairLog(int row)
{
    if (row < 0 || size_t(row) >= m_logs.size())
        return;
    SelectedRepairLogId = checkedKey(cell(m_logs[size_t(row)], RepairLogColumn::Id));
    m_logRow = row;
    emit stateChanged();
}

void RepairView::forgetRepair()
{
    SelectedRepairId = SelectedRepairLogId = NoKey;
    SelectedRepairName.clear();
    m_repairRow = -1;
    m_detail.clear();
    emit detailChanged();
    m_query.RepairLogSelect = u"select * from 修理ログ";
    m_query.RepairLogWhere = u" WHERE 修理ID =0";
    setLogsOf(NoKey);
    LoadRepairLogList();
}

void RepairView::forgetRepairLog()
{
    SelectedRepairLogId = NoKey;
    m_logRow = -1;
    emit stateChanged();
}

void RepairView::showNoRepairLogs()
{
    m_query.RepairLogSelect = RepairListQuery::initialRepairLogSelect();
    m_query.RepairLogWhere = u" WHERE 修理ログID = 0";
    setLogsOf(NoKey);
    // Heading, log list and the new-log button always name the same repair,
    // whichever list the window shows.
    LoadRepairLogList();
}

void RepairView::setLogsOf(const QString& repairId)
{
    m_logsOf = repairId;
    m_logSearchHeading.clear();
    if (repairId == NoKey)
        m_logButton = false;
    SelectedRepairLogId = NoKey;
    emit stateChanged();
}

void RepairView::Search(const SearchRequest& request)
{
    applySearch(m_query, request);
    const QString heading = searchHeading(request);
    switch (request.kind) {
    case SearchKind::Repairs:
        LoadRepairList();
        m_repairHeading = heading;
        break;
    case SearchKind::Unpaid:
        LoadUnpaidList();
        m_unpaidSearchHeading = heading;
        break;
    default:
        LoadRepairLogList();
        m_logSearchHeading = heading;
        break;
    }
    emit stateChanged();
}

void RepairView::applySortOrder()
{
    m_query.setSortClauses(BuildRepairSortClauses(*m_db));
    LoadRepairList();
    LoadUnpaidList();
    LoadRepairLogList();
}

void RepairView::applyFieldCaptions()
{
    setFreeFieldCaptions(RepairFieldCaptions(*m_db));
}

void RepairView::setSortClauses(const RepairSortClauses& sort)
{
    m_query.setSortClauses(sort);
}

void RepairView::setFreeFieldCaptions(const QStringList& captions)
{
    m_freeCaptions = captions;
    emit captionsChanged();
}

void RepairView::setOperatorNames(const QStringList& names)
{
    m_operatorNames = names;
}

QStringList RepairView::selectedRepairLog() const
{
    return m_logRow < 0 ? QStringList() : m_logs[size_t(m_logRow)].toList();
}

QString RepairView::unpaidHeading() const
{
    return m_unpaidSearchHeading.isEmpty() ? u"未集金リスト（集金リストが未入）"_qs
                                           : m_unpaidSearchHeading;
}

QString RepairView::repairLogHeading() const
{
    if (!m_logSearchHeading.isEmpty())
        return m_logSearchHeading;
    if (m_logsOf == NoKey)
        return u"ログを表示します"_qs;
    return SelectedRepairName + u"　の　修理ログ"_qs;
}

bool RepairView::canAddRepairLog() const
{
    return m_logButton && m_logsOf != NoKey && m_logsOf == SelectedRepairId;
}

void RepairView::repairStored(bool isNew)
{
    if (isNew)
        showNoRepairLogs();
    else
        ShowRepairDetail();
    if (unpaidShown()) {
        LoadUnpaidList();
    } else {
        LoadRepairList();
        LoadRepairLogList();
    }
    chooseAgain();
}

void RepairView::repairLogStored()
{
    LoadRepairLogList();
    chooseAgain();
}

void RepairView::chooseAgain()
{
    // Where the chosen records are listed after the lists were read again.
    m_repairRow = rowOfKey(m_unpaidShown ? m_unpaid : m_repairs, SelectedRepairId);
    m_logRow = rowOfKey(m_logs, SelectedRepairLogId);
    emit stateChanged();
}

void RepairView::recordVanished(const EditMode& mode)
{
    // A new repair log hung on the repair: that is gone.
    if (mode.EditKind == RecordKind::RepairLog && !mode.EditIsNew)
        forgetRepairLog();
    else if (!mode.EditIsNew || mode.EditKind == RecordKind::RepairLog)
        forgetRepair();
    LoadRepairList();
    if (unpaidShown())
        LoadUnpaidList();
    LoadRepairLogList();
}

void RepairView::reloadKeepingCurrent(const QStringList& tables)
{
    // Each list reads again only when a table it shows changed; a table no
    // list reads (設定, makers, the own company) reads everything again.
    bool all = tables.isEmpty();
    for (const QString& table : tables)
        all = all || (table != u"修理" && table != u"修理ログ");
    const bool repairs = all || tables.contains(u"修理"_qs);
    const bool logs = all || tables.contains(u"修理ログ"_qs);
    if (repairs && recordGone(*m_db, u"修理"_qs, u"修理ID"_qs, SelectedRepairId))
        forgetRepair();
    else if (logs && recordGone(*m_db, u"修理ログ"_qs, u"修理ログID"_qs, SelectedRepairLogId))
        forgetRepairLog();
    const int repairRow = m_repairRow, logRow = m_logRow;
    if (repairs) {
        LoadRepairList();
        LoadUnpaidList();
    }
    if (logs)
        LoadRepairLogList();
    // A row that was chosen is chosen again where its record now is.
    m_repairRow =
        repairRow < 0 ? -1 : rowOfKey(m_unpaidShown ? m_unpaid : m_repairs, SelectedRepairId);
    m_logRow = logRow < 0 ? -1 : rowOfKey(m_logs, SelectedRepairLogId);
    if (repairs && SelectedRepairId != u"0")
        ShowRepairDetail();
    emit stateChanged();
}

void RepairView::recordDeleted(RecordKind kind)
{
    if (kind == RecordKind::Repair) {
        forgetRepair();
        LoadRepairList();
        if (unpaidShown())
            LoadUnpaidList();
    } else if (kind == RecordKind::RepairLog) {
        forgetRepairLog();
        LoadRepairLogList();
    }
}

} // namespace horunea
