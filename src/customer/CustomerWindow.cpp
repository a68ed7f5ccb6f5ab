#include "customer/CustomerWindow.h"

#include "customer/CustomerLists.h"
#include "settings/CustomerSettings.h"
#include "shell/SessionState.h"
#include "store/Connections.h"
#include "ui/DataWindowParts.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/FunctionKeys.h"
#include "ui/ReportListView.h"
#include "ui/ToolbarIcons.h"
#include "ui/Twips.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

namespace horunea {

namespace {

constexpr int ButtonCount = 31;
constexpr int UserListWidth = 5415;
constexpr int RightColumn = 5475;
constexpr int PanelMinWidth = 8460;
constexpr int WideFrom = 13935;
constexpr int PanelHeight = 2880;
constexpr int ListHeight = 2655;
constexpr int HeadingHeight = 300;

const QList<ToolbarButton>& buttonSpecs()
{
    using namespace tiles;
    static const QList<ToolbarButton> specs = {
        {1, u"修", u"修理管理へ切り替え (F1)", Orange},
        {3, u"閉", u"顧客管理を閉じる (F2)", Grey},
        {4, u"替", u"使用者の切り替え (F3)", Grey},
        {5, u"印", u"ユーザー情報の印刷 (F4)／▼一覧表の印刷", Blue},
        {6, u"設", u"各設定 (F5)", Grey},
        {7, u"検", u"検索 (F6)", Blue},
        {9, u"人+", u"ユーザーの追加 (F7)", Green},
        {10, u"件+", u"件名の追加 (F8)", Green},
        {11, u"ロ+", u"ログの追加 (F9)", Green},
        {13, u"続", u"続行中の件名 (F10)", Teal},
        {14, u"完", u"完了済の件名 (F11)", Teal},
        {15, u"全", u"全ての件名 (F12)", Teal},
        {16, u"続", u"このユーザーの続行中の件名 (F10)", Purple},
        {17, u"完", u"このユーザーの完了済の件名 (F11)", Purple},
        {18, u"全", u"このユーザーの全ての件名 (F12)", Purple},
        {20, u"あ", u"あ行 (Shift+F1)", Blue},
        {21, u"か", u"か行 (Shift+F2)", Blue},
        {22, u"さ", u"さ行 (Shift+F3)", Blue},
        {23, u"た", u"た行 (Shift+F4)", Blue},
        {24, u"な", u"な行 (Shift+F5)", Blue},
        {25, u"は", u"は行 (Shift+F6)", Blue},
        {26, u"ま", u"ま行 (Shift+F7)", Blue},
        {27, u"や", u"や行 (Shift+F8)", Blue},
        {28, u"ら", u"ら行 (Shift+F9)", Blue},
        {29, u"わ", u"わ行 (Shift+F10)", Blue},
        {30, u"ABC", u"ABC (Shift+F11)", Blue},
        {31, u"他", u"その他 (Shift+F12)", Blue},
    };
    return specs;
}

const QList<MenuItem> PrintItems = {
    {u"あ行", u"agyou"},   {u"か行", u"kagyou"}, {u"さ行", u"sagyou"},   {u"た行", u"tagyou"},
    {u"な行", u"nagyou"},  {u"は行", u"hagyou"}, {u"ま行", u"magyou"},   {u"や行", u"yagyou"},
    {u"ら行", u"ragyou"},  {u"わ行", u"wagyou"}, {u"ABC", u"abc"},       {u"他行", u"sonota"},
    {u"続行の件名", u"zokkou"}, {u"完了の件名", u"kanryou"},
};

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

// The detail panel: groups of caption/value rows in three columns.
struct PanelRow
{
    const char16_t* caption;
    int column;
    int line;
};

struct PanelGroup
{
    const char16_t* heading;
    int column;
    int line;
};

const PanelGroup PanelGroups[] = {
    {u"表示名", 0, 0},
    {u"個  人  情  報", 0, 3},
    {u"会　社　情　報", 1, 0},
    {u"そ　　　の　　　他", 2, 0},
    {u"自　　由　　項　　目", 2, 4},
};

// In detail-field order: 表示ふりがな … 自由項目05.
const PanelRow PanelRows[] = {
    {u"ﾌﾘｶﾞﾅ", 0, 1}, {u"表示名", 0, 2},
    {u"ﾌﾘｶﾞﾅ", 0, 4}, {u"ﾕｰｻﾞｰ", 0, 5}, {u"TEL", 0, 6}, {u"FAX", 0, 7}, {u"住所", 0, 8},
    {u"ﾌﾘｶﾞﾅ", 1, 1}, {u"会社名", 1, 2}, {u"部署", 1, 3}, {u"TEL", 1, 4}, {u"FAX", 1, 5},
    {u"住所", 1, 6},
    {u"E-MAIL", 2, 1}, {u"URL", 2, 2}, {u"備考", 2, 3},
    {u"自由項目01", 2, 5}, {u"自由項目02", 2, 6}, {u"自由項目03", 2, 7}, {u"自由項目04", 2, 8},
    {u"自由項目05", 2, 9},
};
constexpr int MailRow = 13;
constexpr int UrlRow = 14;
constexpr int FirstFreeRow = 16;
constexpr int LineHeight = 270;

} // namespace

CustomerWindow::CustomerWindow(QWidget* parent)
    : DataWindow(&SessionState::instance().CustomerWindowState, parent)
{
    setObjectName(u"Form1"_qs);
    createToolbar();
    m_central = new QWidget(this);
    m_central->setObjectName(u"Client"_qs);
    setCentralWidget(m_central);
    createLists();
    createDetailPanel();

    m_combo1 = new QComboBox(m_central);
    m_combo1->setObjectName(u"Combo1"_qs);
    m_combo1->hide();

    fitDataWindowToScreen(this);
    layoutChildren();
}

void CustomerWindow::createToolbar()
{
    m_buttons = createDataToolbar(this, ButtonCount, buttonSpecs(),
                                  [this](int index) { triggerButton(index); });
    m_toolbar = findChild<QToolBar*>(u"Toolbar1"_qs);
    for (int hidden : {10, 11, 16, 17, 18})
        m_buttons[hidden]->setVisible(false);
    m_printMenu = attachDropDown(this, m_buttons[5], PrintItems,
                                 [this](const QString& key) { emit printListRequested(key); });
}

void CustomerWindow::createLists()
{
    m_label22 = makeLabel(u"Label22"_qs, u"ユーザー表示"_qs, m_central);
    m_userList = new ReportListView(u"ListView1"_qs, userListHeaders(), m_central);
    m_userList->setColumnWidthsTwips({800, 1400, 1350, 1350, 1800});

    m_label23 = makeLabel(u"Label23"_qs, u" 件名表示　"_qs, m_central);
    m_label26 = makeLabel(u"Label26"_qs, QString(), m_central);
    m_label26->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_subjectList = new ReportListView(u"ListView2"_qs, subjectListHeaders(), m_central);
    m_subjectList->setColumnWidthsTwips({700, 800, 1500, 1400, 1900, 1300, 600});

    m_label25 = makeLabel(u"Label25"_qs, u"　ログ（メモ）表示"_qs, m_central);
    m_logList = new ReportListView(u"ListView3"_qs, logListHeaders(), m_central);
    m_logList->setColumnWidthsTwips({700, 700, 800, 1500, 1100, 3000});

    for (QLabel* heading : {m_label22, m_label23, m_label25}) {
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
    }

    connect(m_userList, &ReportListView::itemClicked, this, &CustomerWindow::userClicked);
    connect(m_subjectList, &ReportListView::itemClicked, this, &CustomerWindow::subjectClicked);
    connect(m_logList, &ReportListView::itemClicked, this, &CustomerWindow::logClicked);
    connect(m_userList, &ReportListView::itemDoubleClicked, this,
            [this] { emit editorRequested(UserKind, false); });
    connect(m_subjectList, &ReportListView::itemDoubleClicked, this,
            [this] { emit editorRequested(SubjectKind, false); });
    connect(m_logList, &ReportListView::itemDoubleClicked, this,
            [this] { emit editorRequested(LogKind, false); });
}

void CustomerWindow::createDetailPanel()
{
    m_panelHeading = makeLabel(u"Label24"_qs, u"ユーザー情報"_qs, m_central);
    QFont bold = m_panelHeading->font();
    bold.setBold(true);
    m_panelHeading->setFont(bold);
    m_check1 = new QCheckBox(u"個々で表示"_qs, m_central);
    m_check1->setObjectName(u"Check1"_qs);
    m_check1->setEnabled(false);
    connect(m_check1, &QCheckBox::clicked, this, &CustomerWindow::individualClicked);

    m_panel = new QFrame(m_central);
    m_panel->setObjectName(u"Frame1"_qs);
    m_panel->setFrameShape(QFrame::StyledPanel);

    for (const PanelGroup& group : PanelGroups) {
        QLabel* heading = makeLabel(QString(), QString::fromUtf16(group.heading), m_panel);
        QFont f = heading->font();
        f.setBold(true);
        heading->setFont(f);
        heading->setStyleSheet(u"color: #1d4e89;"_qs);
        m_groupHeadings << heading;
    }
    int n = 0;
    for (const PanelRow& row : PanelRows) {
        ++n;
        const QString captionName =
            n >= FirstFreeRow + 1 ? QStringLiteral("Label%1").arg(27 + n - FirstFreeRow - 1)
                                  : QString();
        m_captions << makeLabel(captionName, QString::fromUtf16(row.caption), m_panel);
        QLabel* value = makeLabel(QStringLiteral("Label%1").arg(n), QString(), m_panel);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setStyleSheet(u"background: white; border: 1px solid #c8ccd2; padding-left: 2px;"_qs);
        m_values << value;
    }
    m_send = new QPushButton(u"送る"_qs, m_panel);
    m_send->setObjectName(u"Command10"_qs);
    m_send->setAutoDefault(false);
    m_send->setToolTip(u"メールソフトで新しいメッセージを開きます"_qs);
    m_show = new QPushButton(u"表示"_qs, m_panel);
    m_show->setObjectName(u"Command11"_qs);
    m_show->setAutoDefault(false);
    m_show->setToolTip(u"ブラウザーでURLを開きます"_qs);
    connect(m_send, &QPushButton::clicked, this, &CustomerWindow::sendMail);
    connect(m_show, &QPushButton::clicked, this, &CustomerWindow::showUrl);
}

void CustomerWindow::layoutChildren()
{
    const int width = toTwips(m_central->width());
    const int height = toTwips(m_central->height());
    // The user list takes the inner height; the panel widens with the window
    // once it is wide enough, the subject and log lists keep their size.
    placeTwips(m_label22, 60, 0, UserListWidth - 60, HeadingHeight);
    placeTwips(m_userList, 0, HeadingHeight, UserListWidth, std::max(600, height - HeadingHeight - 60));

    const int panelWidth = std::max(PanelMinWidth, width - RightColumn - 60);
    placeTwips(m_panelHeading, RightColumn + 60, 0, 2400, HeadingHeight);
    placeTwips(m_check1, RightColumn + panelWidth - 1500, 0, 1500, HeadingHeight);
    placeTwips(m_panel, RightColumn, HeadingHeight, panelWidth, PanelHeight);

    const int columnWidth = (panelWidth - 120) / 3;
    const int captionWidth = 1020;
    const int buttonWidth = 540;
    auto left = [&](int column) { return 60 + column * columnWidth; };
    for (int i = 0; i < m_groupHeadings.size(); ++i) {
        const PanelGroup& g = PanelGroups[i];
        placeTwips(m_groupHeadings[i], left(g.column) + 30, 45 + g.line * LineHeight,
                   columnWidth - 60, LineHeight);
    }
    for (int i = 0; i < m_values.size(); ++i) {
        const PanelRow& r = PanelRows[i];
        const int top = 45 + r.line * LineHeight;
        placeTwips(m_captions[i], left(r.column) + 60, top, captionWidth, LineHeight - 30);
        int valueWidth = columnWidth - captionWidth - 120;
        if (i == MailRow || i == UrlRow)
            valueWidth -= buttonWidth + 30;
        placeTwips(m_values[i], left(r.column) + 60 + captionWidth, top, valueWidth,
                   LineHeight - 30);
        if (i == MailRow)
            placeTwips(m_send, left(r.column) + 90 + captionWidth + valueWidth, top - 15,
                       buttonWidth, LineHeight);
        if (i == UrlRow)
            placeTwips(m_show, left(r.column) + 90 + captionWidth + valueWidth, top - 15,
                       buttonWidth, LineHeight);
    }

    int top = HeadingHeight + PanelHeight + 60;
    placeTwips(m_label23, RightColumn + 60, top, PanelMinWidth / 2, HeadingHeight);
    placeTwips(m_label26, RightColumn + PanelMinWidth / 2, top, PanelMinWidth / 2, HeadingHeight);
    top += HeadingHeight;
    placeTwips(m_subjectList, RightColumn, top, PanelMinWidth, ListHeight);
    top += ListHeight + 60;
    placeTwips(m_label25, RightColumn + 60, top, PanelMinWidth, HeadingHeight);
    top += HeadingHeight;
    placeTwips(m_logList, RightColumn, top, PanelMinWidth, ListHeight);
    Q_UNUSED(WideFrom);
}

// ---------------------------------------------------------------- loading

void CustomerWindow::OpenCustomerWindow()
{
    setWindowTitle(SessionState::instance().CustomerAccountName);
    m_query.UserSelect = CustomerListQuery::initialUserSelect();
    m_query.UserWhere = CustomerListQuery::initialUserWhere();
    m_query.SubjectSelect = CustomerListQuery::initialSubjectSelect();
    m_query.SubjectFilter = u"続行"_qs;
    ApplySubjectFilter();
    m_query.resetLogQuery();
    m_query.setSortClauses(BuildCustomerSortClauses(CustomerConnection()));
    LoadUserList();
    LoadSubjectList();
    LoadLogList();
    setFreeFieldCaptions(CustomerFieldCaptions(CustomerConnection()));
}

void CustomerWindow::LoadUserList()
{
    m_userList->setRows(LoadUserRows(CustomerConnection(), m_query.userSql()));
}

void CustomerWindow::LoadSubjectList()
{
    m_subjectList->setRows(LoadSubjectRows(CustomerConnection(), m_query.subjectSql()));
}

void CustomerWindow::LoadLogList()
{
    m_logList->setRows(LoadLogRows(CustomerConnection(), m_query.logSql()));
}

void CustomerWindow::ShowUserDetail()
{
    const QStringList values = ReadUserDetail(CustomerConnection(), SelectedUserId);
    for (int i = 0; i < m_values.size(); ++i)
        m_values[i]->setText(values.value(i));
}

void CustomerWindow::ApplySubjectFilter()
{
    m_label26->setText(m_query.ApplySubjectFilter(m_check1->isChecked(), SelectedUserId));
}

// ---------------------------------------------------------------- commands

void CustomerWindow::selectKanaRow(KanaRow row)
{
    m_label22->setText(kanaRowHeading(row));
    m_query.UserWhere = kanaRowCondition(row);
    LoadUserList();
}

void CustomerWindow::setSubjectFilter(const QString& filter)
{
    m_query.SubjectFilter = filter;
    ApplySubjectFilter();
    LoadSubjectList();
    m_query.resetLogQuery();
    LoadLogList();
}

QAction* CustomerWindow::toolbarButton(int index) const
{
    return index >= 1 && index <= ButtonCount ? m_buttons[index] : nullptr;
}

void CustomerWindow::triggerButton(int index)
{
    runGuarded(this, [&] {
        switch (index) {
        case 1:
            emit switchToRepairRequested();
            break;
        case 3:
            close();
            break;
        case 4:
            emit changeOperatorRequested();
            break;
        case 5:
            emit printUserRequested();
            break;
        case 6:
            emit settingsRequested();
            break;
        case 7:
            emit searchRequested();
            break;
        case 9:
            emit editorRequested(UserKind, true);
            break;
        case 10:
            emit editorRequested(SubjectKind, true);
            break;
        case 11:
            emit editorRequested(LogKind, true);
            break;
        case 13:
        case 16:
            setSubjectFilter(u"続行"_qs);
            break;
        case 14:
        case 17:
            setSubjectFilter(u"完了"_qs);
            break;
        case 15:
        case 18:
            setSubjectFilter(u"全て"_qs);
            break;
        default:
            if (index >= 20 && index <= ButtonCount)
                selectKanaRow(KanaRow(index - 20));
        }
    });
}

void CustomerWindow::handleFunctionKey(int number, bool shift)
{
    if (shift) {
        triggerButton(19 + number);
        return;
    }
    static const int buttonForKey[13] = {0, 1, 3, 4, 5, 6, 7, 9, 10, 11, 13, 14, 15};
    const int index = buttonForKey[number];
    // F8 and F9 act only while their buttons are shown.
    if ((index == 10 || index == 11) && !m_buttons[index]->isVisible())
        return;
    triggerButton(index);
}

bool CustomerWindow::windowKeyPress(QKeyEvent* event)
{
    // Function keys are the window's; every other key goes on to the controls.
    const auto key = functionKeyOf(event);
    if (!key)
        return false;
    handleFunctionKey(key->number, key->shift);
    return true;
}

// ---------------------------------------------------------------- list events

void CustomerWindow::userClicked(int row)
{
    runGuarded(this, [&] {
        SelectedUserId = m_userList->text(row, 0);
        SelectedUserName = m_userList->text(row, 1);
        ShowUserDetail();
        if (m_check1->isChecked()) {
            ApplySubjectFilter();
            LoadSubjectList();
        }
        m_query.resetLogQuery();
        LoadLogList();
        m_check1->setEnabled(true);
        m_buttons[10]->setVisible(true);
        m_buttons[11]->setVisible(false);
    });
}

void CustomerWindow::subjectClicked(int row)
{
    runGuarded(this, [&] {
        SelectedUserName = m_subjectList->text(row, 3);
        SelectedSubjectTitle = m_subjectList->text(row, 4);
        SelectedUserId = m_subjectList->text(row, 1);
        SelectedSubjectId = m_subjectList->text(row, 0);
        m_label23->setText(u"　"_qs + SelectedUserName + u" の件名表示"_qs);
        m_label25->setText(u"　"_qs + SelectedSubjectTitle + u" のログ(メモ)表示"_qs);
        ShowUserDetail();
        m_query.LogWhere = u" WHERE 件名ID ="_qs + SelectedSubjectId;
        LoadLogList();
        m_buttons[10]->setVisible(true);
        m_buttons[11]->setVisible(true);
        m_check1->setEnabled(true);
    });
}

void CustomerWindow::logClicked(int row)
{
    SelectedLogId = m_logList->text(row, 0);
}

void CustomerWindow::individualClicked()
{
    const bool on = m_check1->isChecked();
    for (int i : {13, 14, 15})
        m_buttons[i]->setVisible(!on);
    for (int i : {16, 17, 18})
        m_buttons[i]->setVisible(on);
    runGuarded(this, [&] {
        ApplySubjectFilter();
        LoadSubjectList();
        m_query.resetLogQuery();
        LoadLogList();
    });
}

void CustomerWindow::sendMail()
{
    QString address = m_values[MailRow]->text();
    if (address.isEmpty())
        return;
    if (address.left(7).toLower() != u"mailto:")
        address = u"mailto:"_qs + address;
    // Handed over whole as one URL; the desktop never sees a command line.
    Dialogs::instance().openUrl(QUrl(address, QUrl::TolerantMode));
}

void CustomerWindow::showUrl()
{
    const QString text = m_values[UrlRow]->text();
    if (text.isEmpty())
        return;
    QUrl url(text, QUrl::TolerantMode);
    if (url.scheme().isEmpty())
        url = QUrl::fromUserInput(text);
    Dialogs::instance().openUrl(url);
}

// ---------------------------------------------------------------- panel values

void CustomerWindow::setOperatorNames(const QStringList& names)
{
    m_combo1->clear();
    m_combo1->addItems(names);
}

QStringList CustomerWindow::operatorNames() const
{
    QStringList names;
    for (int i = 0; i < m_combo1->count(); ++i)
        names << m_combo1->itemText(i);
    return names;
}

QStringList CustomerWindow::panelValues() const
{
    QStringList values;
    for (QLabel* v : m_values)
        values << v->text();
    return values;
}

QStringList CustomerWindow::freeFieldCaptions() const
{
    QStringList captions;
    for (int i = FirstFreeRow; i < m_captions.size(); ++i)
        captions << m_captions[i]->text();
    return captions;
}

void CustomerWindow::setFreeFieldCaptions(const QStringList& captions)
{
    for (int i = 0; i < 5; ++i)
        m_captions[FirstFreeRow + i]->setText(captions.value(i));
}

void CustomerWindow::forgetUser()
{
    SelectedUserId = u"0"_qs;
    SelectedUserName.clear();
    forgetSubject();
    for (QLabel* v : std::as_const(m_values))
        v->clear();
}

void CustomerWindow::forgetSubject()
{
    SelectedSubjectId = u"0"_qs;
    SelectedSubjectTitle.clear();
    SelectedLogId = u"0"_qs;
}

// ---------------------------------------------------------------- closing

void CustomerWindow::unload()
{
    m_userList->clearRows();
    m_subjectList->clearRows();
    m_logList->clearRows();
    emit unloading();
    SessionState::instance().CustomerAccountName.clear();
    Connections::instance().CloseCustomerDatabase();
}

} // namespace horunea
