#include "repair/RepairWindow.h"

#include "repair/RepairStorage.h"
#include "store/Connections.h"
#include "store/DateText.h"
#include "store/SessionState.h"
#include "ui/DataWindowParts.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/FunctionKeys.h"
#include "ui/OtherPcsFollower.h"
#include "ui/ReportListView.h"
#include "ui/ToolbarIcons.h"
#include "ui/Twips.h"
#include "ui/UserSettings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace horunea {

namespace {

constexpr int ButtonCount = 18;
constexpr int HeadingHeight = 300;
constexpr int PanelHeight = 2580;
constexpr int LineHeight = 270;

const QList<ToolbarButton>& buttonSpecs()
{
    using namespace tiles;
    static const QList<ToolbarButton> specs = {
        {1, u"顧", u"顧客管理へ切り替え (F1)", Orange},
        {3, u"閉", u"修理管理を閉じる (F2)", Grey},
        {4, u"替", u"修理アカウントの切り替え (F3)", Grey},
        {5, u"印", u"修理依頼表の印刷 (F4)／▼一覧表の印刷", Blue},
        {6, u"設", u"各設定 (F5)", Grey},
        {7, u"検", u"検索 (F6)", Blue},
        {9, u"未", u"未集金リストと修理リストの切り替え (F7)", Red},
        {11, u"社", u"自社情報 (F8)", Grey},
        {12, u"メ", u"メーカー情報 (F9)", Grey},
        {13, u"修+", u"修理の追加 (F10)", Green},
        {14, u"ロ+", u"修理ログの追加 (F11)", Green},
        {16, u"続", u"終了していない修理 (Shift+F1)", Teal},
        {17, u"完", u"終了した修理 (Shift+F2)", Teal},
        {18, u"全", u"全ての修理 (Shift+F3)", Teal},
    };
    return specs;
}

// The panel's rows: caption, value label number, field, column, line.
struct PanelField
{
    const char16_t* caption;
    int valueLabel;
    const char16_t* field;
    int column;
    int line;
};

const PanelField PanelFields[] = {
    {u"受付日", 1, u"受付日", 0, 0},
    {u"お客様", 2, u"お客様名", 0, 1},
    {u"会社名", 3, u"会社名", 0, 2},
    {u"会社TEL", 4, u"会社TEL", 0, 3},
    {u"会社住所", 5, u"会社住所", 0, 4},
    {u"自宅TEL", 6, u"自宅TEL", 0, 5},
    {u"自宅住所", 7, u"自宅住所", 0, 6},
    {u"ﾒｰｶｰ", 8, u"メーカー名", 1, 0},
    {u"型番", 9, u"型番", 1, 1},
    {u"ｼﾘｱﾙ", 10, u"シリアル", 1, 2},
    {u"付属品", 11, u"付属品", 1, 3},
    {u"担当者", 12, u"担当者", 1, 4},
    {u"故障内容", 13, u"故障内容", 1, 5},
    {u"ﾒｰｶｰ受付番号", 14, u"メーカー受付番号", 1, 6},
    {u"有無償", 15, u"有償無償", 2, 0},
    {u"診断内容", 16, u"修理処置内容", 2, 1},
    {u"交換部品", 17, u"交換部品", 2, 2},
    {u"仕切", 18, u"仕切", 2, 3},
    {u"売値", 19, u"売値", 2, 4},
    {u"入金", 20, u"入金", 2, 5},
    {u"自由項目01", 21, u"自由項目01", 2, 6},
    {u"自由項目02", 25, u"自由項目02", 2, 7},
    {u"自由項目03", 28, u"自由項目03", 2, 8},
};
constexpr int FirstFreeField = 20;

} // namespace

RepairWindow::RepairWindow(QWidget* parent)
    : DataWindow(&SessionState::instance().RepairWindowState, parent)
{
    setObjectName(u"Form2"_qs);
    setWindowTitle(u"修理管理"_qs);
    createToolbar(ButtonCount, buttonSpecs(), {14}, printMenuItems(AccountKind::Repair));
    createLists();
    createPanel();

    m_selectedRepairId = plainLabel(u"0"_qs, m_central);
    m_selectedRepairId->setObjectName(u"Label26"_qs);
    m_selectedRepairId->hide();
    m_selectedRepairLogId = plainLabel(u"0"_qs, m_central);
    m_selectedRepairLogId->setObjectName(u"Label27"_qs);
    m_selectedRepairLogId->hide();
    m_makerNames = new QComboBox(m_central);
    m_makerNames->setObjectName(u"Combo1"_qs);
    m_makerNames->hide();
    m_operatorNames = new QComboBox(m_central);
    m_operatorNames->setObjectName(u"Combo2"_qs);
    m_operatorNames->hide();

    fitDataWindowToScreen(this);
    layoutChildren();
}

RepairWindow::~RepairWindow() = default;

void RepairWindow::createLists()
{
    auto boldLabel = [this](const QString& name, const QString& text) {
        auto* label = plainLabel(text, m_central);
        label->setObjectName(name);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        return label;
    };
    m_repairListHeading = boldLabel(u"Label23"_qs, u"終了していない修理"_qs);
    m_unpaidListHeading = boldLabel(u"Label35"_qs, u"未集金リスト（集金リストが未入）"_qs);
    m_unpaidListHeading->hide();
    m_logListHeading = boldLabel(u"Label24"_qs, u"ログを表示します"_qs);

    m_repairList = new ReportListView(u"ListView1"_qs, repairColumns(), m_central);
    rememberColumns(m_repairList, objectName() + u'/' + m_repairList->objectName());
    m_unpaidList = new ReportListView(u"ListView3"_qs, unpaidColumns(), m_central);
    rememberColumns(m_unpaidList, objectName() + u'/' + m_unpaidList->objectName());
    m_unpaidList->hide();
    m_logList = new ReportListView(u"ListView2"_qs, repairLogColumns(), m_central);
    rememberColumns(m_logList, objectName() + u'/' + m_logList->objectName());

    for (ReportListView* list : {m_repairList, m_unpaidList, m_logList}) {
        connect(list, &ReportListView::itemClicked, this, [this, list](int row) {
            if (!m_view)
                return;
            runGuarded(this, [&] {
                if (list == m_logList)
                    m_view->selectRepairLog(row);
                else
                    m_view->selectRepair(list == m_unpaidList, row);
            });
        });
        connect(list, &ReportListView::itemDoubleClicked, this, [this, list] {
            emit editorRequested(list == m_logList ? RecordKind::RepairLog : RecordKind::Repair,
                                 false);
        });
    }
}

void RepairWindow::createPanel()
{
    m_panelHeading = plainLabel(u"修　　　　理　　　　依　　　　頼　　　　表"_qs, m_central);
    m_panelHeading->setObjectName(u"Label60"_qs);
    m_panelHeading->setAlignment(Qt::AlignCenter);
    QFont headingFont = programFont(11);
    headingFont.setBold(true);
    m_panelHeading->setFont(headingFont);
    m_panelHeading->setStyleSheet(u"background: #1d4e89; color: white;"_qs);

    m_panel = new QFrame(m_central);
    m_panel->setObjectName(u"Frame1"_qs);
    m_panel->setFrameShape(QFrame::StyledPanel);
    int n = 61;
    for (const PanelField& f : PanelFields) {
        auto* caption = plainLabel(QString::fromUtf16(f.caption), m_panel);
        caption->setObjectName(QStringLiteral("Label%1").arg(n++));
        m_captions << caption;
        if (m_captions.size() > FirstFreeField)
            m_freeCaptions << caption;
        m_values << valueLabel(QStringLiteral("Label%1").arg(f.valueLabel), m_panel);
    }
    m_finished = new QCheckBox(u"この修理は終了しました"_qs, m_panel);
    m_finished->setObjectName(u"Check1"_qs);
    m_estimate = new QCheckBox(u"見積必要"_qs, m_panel);
    m_estimate->setObjectName(u"Check2"_qs);
    m_delivery = new QCheckBox(u"納期必要"_qs, m_panel);
    m_delivery->setObjectName(u"Check3"_qs);
    // The marks show the repair; clicking them changes nothing.
    for (QCheckBox* c : {m_finished, m_estimate, m_delivery}) {
        c->setAttribute(Qt::WA_TransparentForMouseEvents);
        c->setFocusPolicy(Qt::NoFocus);
    }
}

void RepairWindow::layoutChildren()
{
    const int width = toTwips(m_central->width());
    const int height = toTwips(m_central->height());
    if (width < 3935)
        return;
    const int inner = width - 120;
    int top = 0;
    placeTwips(m_repairListHeading, 60, top, inner, HeadingHeight);
    placeTwips(m_unpaidListHeading, 60, top, inner, HeadingHeight);
    top += HeadingHeight;
    // Below the form's own height the repair list gives up room first, so
    // that the log list keeps a few rows inside the window.
    const int below = HeadingHeight + 60 + PanelHeight + 60 + HeadingHeight + 60;
    const int listHeight =
        height >= 10110 ? height - 6300 : std::clamp(height - top - below - 900, 900, 3800);
    placeTwips(m_repairList, 60, top, inner, listHeight);
    placeTwips(m_unpaidList, 60, top, inner, listHeight);
    top += listHeight + 60;

    placeTwips(m_panelHeading, 60, top, inner, HeadingHeight);
    top += HeadingHeight;
    placeTwips(m_panel, 60, top, inner, PanelHeight);
    const int columnWidth = inner / 3;
    const int valueWidth = std::max(1200, columnWidth - 1850);
    for (int i = 0; i < m_values.size(); ++i) {
        const PanelField& f = PanelFields[i];
        const int left = 60 + f.column * columnWidth;
        const int y = 45 + f.line * LineHeight;
        placeTwips(m_captions[i], left, y, 1680, LineHeight - 30);
        placeTwips(m_values[i], left + 1700, y, valueWidth, LineHeight - 30);
    }
    placeTwips(m_finished, 60, 45 + 7 * LineHeight, 3000, LineHeight);
    placeTwips(m_estimate, 60 + columnWidth, 45 + 7 * LineHeight, 1500, LineHeight);
    placeTwips(m_delivery, 60 + columnWidth + 1600, 45 + 7 * LineHeight, 1500, LineHeight);
    top += PanelHeight + 60;

    placeTwips(m_logListHeading, 60, top, inner, HeadingHeight);
    top += HeadingHeight;
    placeTwips(m_logList, 60, top, inner, std::max(900, height - top - 60));
}

// ---------------------------------------------------------------- the view

void RepairWindow::OpenRepairWindow()
{
    // The old account's view, with every holder and piece, goes first.
    m_follower.reset();
    m_view.reset();
    setWindowTitle(SessionState::instance().RepairAccountName);
    auto view = std::make_unique<RepairView>(RepairConnection());
    RepairView* v = view.get();
    connect(v, &RepairView::repairListChanged, this,
            [this, v] { m_repairList->setRows(v->repairRows()); });
    connect(v, &RepairView::unpaidListChanged, this,
            [this, v] { m_unpaidList->setRows(v->unpaidRows()); });
    connect(v, &RepairView::repairLogListChanged, this,
            [this, v] { m_logList->setRows(v->repairLogRows()); });
    connect(v, &RepairView::detailChanged, this, &RepairWindow::drawDetail);
    connect(v, &RepairView::captionsChanged, this,
            [this, v] { setTexts(m_freeCaptions, v->freeFieldCaptions()); });
    connect(v, &RepairView::makersChanged, this, [this, v] {
        m_makerNames->clear();
        m_makerNames->addItems(v->MakerNames());
    });
    connect(v, &RepairView::stateChanged, this, &RepairWindow::drawState);
    v->setOperatorNames(operatorNames());
    m_view = std::move(view);
    m_view->OpenRepairWindow();
    m_follower = std::make_unique<OtherPcsFollower>(
        RepairConnection(), *v, QList<ReportListView*>{m_repairList, m_unpaidList, m_logList},
        this);
}

bool RepairWindow::consumesKey(const QKeyEvent* key) const
{
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        return true;
    }
}

bool RepairWindow::unpaidShown() const
{
    return m_view && m_view->unpaidShown();
}

void RepairWindow::drawState()
{
    if (!m_view)
        return;
    const RepairView& v = *m_view;
    ReportListView::showChoices({m_repairList, m_unpaidList, m_logList}, v.chosenRows());
    m_repairListHeading->setText(v.repairHeading());
    m_unpaidListHeading->setText(v.unpaidHeading());
    m_logListHeading->setText(v.repairLogHeading());
    m_selectedRepairId->setText(v.SelectedRepairId);
    m_selectedRepairLogId->setText(v.SelectedRepairLogId);
    const bool unpaid = v.unpaidShown();
    if (unpaid != m_unpaidList->isVisibleTo(m_central)) {
        m_unpaidListHeading->setVisible(unpaid);
        m_unpaidList->setVisible(unpaid);
        m_repairListHeading->setVisible(!unpaid);
        m_repairList->setVisible(!unpaid);
        layoutChildren();
    }
    for (int i = 11; i <= ButtonCount; ++i)
        if (i != 14)
            setButtonVisible(i, !unpaid);
    setButtonVisible(14, v.canAddRepairLog());
}

void RepairWindow::drawDetail()
{
    if (!m_view)
        return;
    const QHash<QString, QString>& f = m_view->repairDetail();
    m_finished->setChecked(!f.isEmpty() && f.value(u"判定"_qs) != u"続行");
    for (int i = 0; i < m_values.size(); ++i) {
        const QString field = QString::fromUtf16(PanelFields[i].field);
        if (field == u"受付日" && !f.isEmpty())
            m_values[i]->setText(LongDateText(DateFromText(f.value(field))));
        else
            m_values[i]->setText(f.value(field));
    }
    const QString flags = f.value(u"見積納期"_qs);
    m_estimate->setChecked(estimateFlag(flags));
    m_delivery->setChecked(deliveryFlag(flags));
}

// ---------------------------------------------------------------- commands

void RepairWindow::command(int index)
{
    if (!m_view || sharedCommand(index))
        return;
    switch (index) {
    case UnpaidButton:
        m_view->ToggleUnpaidList();
        break;
    case OwnCompanyButton:
        emit ownCompanyRequested();
        break;
    case MakersButton:
        emit makersRequested();
        break;
    case NewRepairButton:
        emit editorRequested(RecordKind::Repair, true);
        break;
    case NewRepairLogButton:
        emit editorRequested(RecordKind::RepairLog, true);
        break;
    case ContinuingButton:
        m_view->SetRepairFilter(u"続行"_qs);
        break;
    case DoneButton:
        m_view->SetRepairFilter(u"完了"_qs);
        break;
    case AllButton:
        m_view->SetRepairFilter(u"全て"_qs);
        break;
    }
}

int RepairWindow::buttonForKey(const FunctionKey& key) const
{
    if (key.shift)
        return key.number <= 3 ? 15 + key.number : 0;
    // The keys act even while the unpaid view hides their buttons; F11 only
    // while button 14 shows.
    static const int buttonForKey[13] = {0, 1, 3, 4, 5, 6, 7, 9, 11, 12, 13, 14, 0};
    return buttonForKey[key.number];
}

// ---------------------------------------------------------------- panel access

void RepairWindow::setOperatorNames(const QStringList& names)
{
    m_operatorNames->clear();
    m_operatorNames->addItems(names);
    if (m_view)
        m_view->setOperatorNames(names);
}

QStringList RepairWindow::operatorNames() const
{
    return itemsOf(m_operatorNames);
}
QStringList RepairWindow::makerNames() const
{
    return itemsOf(m_makerNames);
}
QStringList RepairWindow::freeFieldCaptions() const
{
    return textsOf(m_freeCaptions);
}

QString RepairWindow::panelText(const QString& field) const
{
    for (int i = 0; i < m_values.size(); ++i)
        if (QString::fromUtf16(PanelFields[i].field) == field)
            return m_values[i]->text();
    return QString();
}

bool RepairWindow::panelFinished() const
{
    return m_finished->isChecked();
}
bool RepairWindow::panelEstimate() const
{
    return m_estimate->isChecked();
}
bool RepairWindow::panelDelivery() const
{
    return m_delivery->isChecked();
}

// ---------------------------------------------------------------- closing

void RepairWindow::clearLists()
{
    m_repairList->clearRows();
    m_logList->clearRows();
}

void RepairWindow::closeAccount()
{
    m_follower.reset();
    m_view.reset();
    SessionState::instance().RepairAccountName.clear();
    Connections::instance().CloseRepairDatabase();
}

void RepairWindow::focusFound(SearchKind kind)
{
    ReportListView* list = kind == SearchKind::Unpaid       ? m_unpaidList
                           : kind == SearchKind::RepairLogs ? m_logList
                                                            : m_repairList;
    list->setFocus(Qt::OtherFocusReason);
}

} // namespace horunea
