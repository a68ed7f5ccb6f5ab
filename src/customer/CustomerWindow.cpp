#include "customer/CustomerWindow.h"

#include "customer/PanelLinks.h"
#include "store/Connections.h"
#include "store/SessionState.h"
#include "ui/DataWindowParts.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/FunctionKeys.h"
#include "ui/OtherPcsFollower.h"
#include "ui/ReportListView.h"
#include "ui/SplitHandle.h"
#include "ui/ToolbarIcons.h"
#include "ui/Twips.h"
#include "ui/UserSettings.h"

#include <QAction>
#include <QSettings>

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
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace horunea {

namespace {

constexpr int ButtonCount = 31;
constexpr int UserListWidth = 5415;
constexpr int RightColumn = 5475;
constexpr int MinUserListWidth = 2400;
constexpr int PanelMinWidth = 8460;
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

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = plainLabel(text, parent);
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

// In UserField order: 表示ふりがな … 自由項目05.
const PanelRow PanelRows[] = {
    {u"ﾌﾘｶﾞﾅ", 0, 1},      {u"表示名", 0, 2},     {u"ﾌﾘｶﾞﾅ", 0, 4},      {u"ﾕｰｻﾞｰ", 0, 5},
    {u"TEL", 0, 6},        {u"FAX", 0, 7},        {u"住所", 0, 8},       {u"ﾌﾘｶﾞﾅ", 1, 1},
    {u"会社名", 1, 2},     {u"部署", 1, 3},       {u"TEL", 1, 4},        {u"FAX", 1, 5},
    {u"住所", 1, 6},       {u"E-MAIL", 2, 1},     {u"URL", 2, 2},        {u"備考", 2, 3},
    {u"自由項目01", 2, 5}, {u"自由項目02", 2, 6}, {u"自由項目03", 2, 7}, {u"自由項目04", 2, 8},
    {u"自由項目05", 2, 9},
};
static_assert(std::size(PanelRows) == std::size_t(UserFieldCount));
constexpr int MailRow = int(UserField::Mail);
constexpr int UrlRow = int(UserField::Url);
constexpr int FirstFreeRow = int(UserField::Free1);
constexpr int LineHeight = 270;

} // namespace

CustomerWindow::CustomerWindow(QWidget* parent)
    : DataWindow(&SessionState::instance().CustomerWindowState, parent)
{
    setObjectName(u"Form1"_qs);
    createToolbar(ButtonCount, buttonSpecs(), {10, 11, 16, 17, 18},
                  printMenuItems(AccountKind::Operator));
    createLists();
    createDetailPanel();

    m_operatorNames = new QComboBox(m_central);
    m_operatorNames->setObjectName(u"Combo1"_qs);
    m_operatorNames->hide();

    fitDataWindowToScreen(this);
    layoutChildren();
}

CustomerWindow::~CustomerWindow() = default;

void CustomerWindow::createLists()
{
    m_userListHeading = makeLabel(u"Label22"_qs, u"ユーザー表示"_qs, m_central);
    m_userList = new ReportListView(u"ListView1"_qs, userColumns(), m_central);
    rememberColumns(m_userList, objectName() + u'/' + m_userList->objectName());
    m_userList->listModel()->setSortKeys(int(UserColumn::Name), [this](const ListRows& rows) {
        return m_view ? UserNameSortKeys(m_view->database(), rows) : QStringList();
    });
    // A handle beside the user list gives it more room against the panel,
    // remembered for the user as the columns are.
    const QString splitKey = u"splitters/"_qs + objectName();
    m_userListWidth = userSettings().value(splitKey, UserListWidth).toInt();
    m_splitter = new SplitHandle(u"Splitter1"_qs, m_central);
    connect(m_splitter, &SplitHandle::moved, this, [this, splitKey](int x) {
        m_userListWidth = std::max(MinUserListWidth, toTwips(x));
        userSettings().setValue(splitKey, m_userListWidth);
        layoutChildren();
    });

    m_subjectListHeading = makeLabel(u"Label23"_qs, u" 件名表示　"_qs, m_central);
    m_subjectFilterHeading = makeLabel(u"Label26"_qs, QString(), m_central);
    m_subjectFilterHeading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_subjectList = new ReportListView(u"ListView2"_qs, subjectColumns(), m_central);
    rememberColumns(m_subjectList, objectName() + u'/' + m_subjectList->objectName());

    m_logListHeading = makeLabel(u"Label25"_qs, u"　ログ（メモ）表示"_qs, m_central);
    m_logList = new ReportListView(u"ListView3"_qs, logColumns(), m_central);
    rememberColumns(m_logList, objectName() + u'/' + m_logList->objectName());

    for (QLabel* heading : {m_userListHeading, m_subjectListHeading, m_logListHeading}) {
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
    }

    auto onView = [this](auto step) {
        return [this, step](int row) {
            if (m_view)
                runGuarded(this, [&] { (m_view.get()->*step)(row); });
        };
    };
    connect(m_userList, &ReportListView::itemClicked, this, onView(&CustomerView::selectUser));
    connect(m_subjectList, &ReportListView::itemClicked, this,
            onView(&CustomerView::selectSubject));
    connect(m_logList, &ReportListView::itemClicked, this, onView(&CustomerView::selectLog));
    connect(m_userList, &ReportListView::itemDoubleClicked, this,
            [this] { emit editorRequested(RecordKind::User, false); });
    connect(m_subjectList, &ReportListView::itemDoubleClicked, this,
            [this] { emit editorRequested(RecordKind::Subject, false); });
    connect(m_logList, &ReportListView::itemDoubleClicked, this,
            [this] { emit editorRequested(RecordKind::Log, false); });
}

void CustomerWindow::createDetailPanel()
{
    m_panelHeading = makeLabel(u"Label24"_qs, u"ユーザー情報"_qs, m_central);
    QFont bold = m_panelHeading->font();
    bold.setBold(true);
    m_panelHeading->setFont(bold);
    m_eachUser = new QCheckBox(u"個々で表示"_qs, m_central);
    m_eachUser->setObjectName(u"Check1"_qs);
    m_eachUser->setEnabled(false);
    connect(m_eachUser, &QCheckBox::clicked, this, [this](bool on) {
        if (m_view)
            runGuarded(this, [&] { m_view->setIndividual(on); });
    });

    m_panel = new QFrame(m_central);
    m_panel->setObjectName(u"Frame1"_qs);
    m_panel->setFrameShape(QFrame::StyledPanel);

    for (const PanelGroup& group : PanelGroups) {
        QLabel* heading = makeLabel(QString(), QString::fromUtf16(group.heading), m_panel);
        QFont f = heading->font();
        f.setBold(true);
        heading->setFont(f);
        heading->setStyleSheet(headingTextStyle());
        m_groupHeadings << heading;
    }
    int n = 0;
    for (const PanelRow& row : PanelRows) {
        ++n;
        const bool free = n > FirstFreeRow;
        const QString captionName =
            free ? QStringLiteral("Label%1").arg(27 + n - FirstFreeRow - 1) : QString();
        QLabel* caption = makeLabel(captionName, QString::fromUtf16(row.caption), m_panel);
        m_captions << caption;
        if (free)
            m_freeCaptions << caption;
        m_values << valueLabel(QStringLiteral("Label%1").arg(n), m_panel);
    }
    m_send = commandButton(u"Command10"_qs, u"送る"_qs, m_panel);
    m_send->setAutoDefault(false);
    m_send->setToolTip(u"メールソフトで新しいメッセージを開きます"_qs);
    m_show = commandButton(u"Command11"_qs, u"表示"_qs, m_panel);
    m_show->setAutoDefault(false);
    m_show->setToolTip(u"ブラウザーでURLを開きます"_qs);
    connect(m_send, &QPushButton::clicked, this, &CustomerWindow::sendMail);
    connect(m_show, &QPushButton::clicked, this, &CustomerWindow::showUrl);
}

void CustomerWindow::layoutChildren()
{
    const int width = toTwips(m_central->width());
    const int height = toTwips(m_central->height());
    // The user list as wide as the user dragged it, leaving the rest its room.
    const int listWidth = std::clamp(m_userListWidth, MinUserListWidth,
                                     std::max(MinUserListWidth, width - PanelMinWidth - 120));
    const int rightColumn = listWidth + RightColumn - UserListWidth;
    // The user list takes the inner height; the panel widens with the window
    // once it is wide enough, the subject and log lists keep their size.
    placeTwips(m_userListHeading, 60, 0, listWidth - 60, HeadingHeight);
    placeTwips(m_userList, 0, HeadingHeight, listWidth, std::max(600, height - HeadingHeight - 60));
    placeTwips(m_splitter, listWidth, HeadingHeight, rightColumn - listWidth,
               std::max(600, height - HeadingHeight - 60));

    const int panelWidth = std::max(PanelMinWidth, width - rightColumn - 60);
    placeTwips(m_panelHeading, rightColumn + 60, 0, 2400, HeadingHeight);
    placeTwips(m_eachUser, rightColumn + panelWidth - 1500, 0, 1500, HeadingHeight);
    placeTwips(m_panel, rightColumn, HeadingHeight, panelWidth, PanelHeight);

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
    // The two lists keep their size where the window has room, and share
    // what is left where it has not (a small screen, a large scale), down
    // to a few rows each, rather than leave the window.
    const int room = height - top - 2 * HeadingHeight - 60 - 60;
    const int listHeight = std::clamp(room / 2, 900, ListHeight);
    placeTwips(m_subjectListHeading, rightColumn + 60, top, PanelMinWidth / 2, HeadingHeight);
    placeTwips(m_subjectFilterHeading, rightColumn + PanelMinWidth / 2, top, PanelMinWidth / 2,
               HeadingHeight);
    top += HeadingHeight;
    placeTwips(m_subjectList, rightColumn, top, PanelMinWidth, listHeight);
    top += listHeight + 60;
    placeTwips(m_logListHeading, rightColumn + 60, top, PanelMinWidth, HeadingHeight);
    top += HeadingHeight;
    placeTwips(m_logList, rightColumn, top, PanelMinWidth, listHeight);
}

// ---------------------------------------------------------------- the view

void CustomerWindow::OpenCustomerWindow()
{
    // The old account's view, with every holder and piece, goes first.
    m_follower.reset();
    m_view.reset();
    setWindowTitle(SessionState::instance().CustomerAccountName);
    auto view = std::make_unique<CustomerView>(CustomerConnection());
    CustomerView* v = view.get();
    connect(v, &CustomerView::userListChanged, this,
            [this, v] { m_userList->setRows(v->userRows()); });
    connect(v, &CustomerView::subjectListChanged, this,
            [this, v] { m_subjectList->setRows(v->subjectRows()); });
    connect(v, &CustomerView::logListChanged, this,
            [this, v] { m_logList->setRows(v->logRows()); });
    connect(v, &CustomerView::detailChanged, this, &CustomerWindow::drawDetail);
    connect(v, &CustomerView::captionsChanged, this,
            [this, v] { setTexts(m_freeCaptions, v->freeFieldCaptions()); });
    connect(v, &CustomerView::stateChanged, this, &CustomerWindow::drawState);
    v->setOperatorNames(operatorNames());
    m_view = std::move(view);
    m_view->OpenCustomerWindow();
    m_follower = std::make_unique<OtherPcsFollower>(
        CustomerConnection(), *v, QList<ReportListView*>{m_userList, m_subjectList, m_logList},
        this);
}

void CustomerWindow::drawState()
{
    if (!m_view)
        return;
    const CustomerView& v = *m_view;
    ReportListView::showChoices({m_userList, m_subjectList, m_logList}, v.chosenRows());
    m_userListHeading->setText(v.userHeading());
    m_subjectListHeading->setText(v.subjectHeading());
    m_logListHeading->setText(v.logHeading());
    m_subjectFilterHeading->setText(v.subjectFilterHeading());
    m_eachUser->setChecked(v.individual());
    m_eachUser->setEnabled(v.individualEnabled());
    for (int i : {13, 14, 15})
        setButtonVisible(i, !v.individual());
    for (int i : {16, 17, 18})
        setButtonVisible(i, v.individual());
    setButtonVisible(10, v.canAddSubject());
    setButtonVisible(11, v.canAddLog());
}

void CustomerWindow::drawDetail()
{
    if (!m_view)
        return;
    setTexts(m_values, m_view->userDetail());
    // A remark of several lines shows whole when pointed at.
    for (QLabel* value : std::as_const(m_values))
        value->setToolTip(value->text().contains(u'\n')
                              ? Qt::convertFromPlainText(value->text(), Qt::WhiteSpacePre)
                              : QString());
}

void CustomerWindow::focusFound(SearchKind kind)
{
    ReportListView* list = kind == SearchKind::Subjects ? m_subjectList
                           : kind == SearchKind::Logs   ? m_logList
                                                        : m_userList;
    list->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- commands

void CustomerWindow::command(int index)
{
    if (!m_view || sharedCommand(index))
        return;
    CustomerView& v = *m_view;
    switch (index) {
    case NewUserButton:
        emit editorRequested(RecordKind::User, true);
        break;
    case NewSubjectButton:
        emit editorRequested(RecordKind::Subject, true);
        break;
    case NewLogButton:
        emit editorRequested(RecordKind::Log, true);
        break;
    case ContinuingButton:
    case ContinuingOfUserButton:
        v.setSubjectFilter(u"続行"_qs);
        break;
    case DoneButton:
    case DoneOfUserButton:
        v.setSubjectFilter(u"完了"_qs);
        break;
    case AllButton:
    case AllOfUserButton:
        v.setSubjectFilter(u"全て"_qs);
        break;
    default:
        if (index >= FirstKanaRowButton && index <= ButtonCount) {
            v.selectKanaRow(KanaRow(index - FirstKanaRowButton));
            // The customers of the row are chosen from with the arrow keys.
            m_userList->setFocus(Qt::OtherFocusReason);
        }
    }
}

int CustomerWindow::buttonForKey(const FunctionKey& key) const
{
    if (key.shift)
        return 19 + key.number; // the kana rows
    static const int buttonForKey[13] = {0, 1, 3, 4, 5, 6, 7, 9, 10, 11, 13, 14, 15};
    return buttonForKey[key.number];
}

void CustomerWindow::sendMail()
{
    handToDesktop(MailLink(m_values[MailRow]->text()));
}

void CustomerWindow::showUrl()
{
    handToDesktop(WebLink(m_values[UrlRow]->text()));
}

void CustomerWindow::handToDesktop(const PanelLink& link)
{
    if (!link.refusal.isEmpty())
        Dialogs::instance().message(this, link.refusal, Dialogs::Icon::Exclamation);
    else if (!link.url.isEmpty())
        openOnDesktop(this, link.url); // one URL; the desktop never sees a command line
}

// ---------------------------------------------------------------- panel values

void CustomerWindow::setOperatorNames(const QStringList& names)
{
    m_operatorNames->clear();
    m_operatorNames->addItems(names);
    if (m_view)
        m_view->setOperatorNames(names);
}

QStringList CustomerWindow::operatorNames() const
{
    return itemsOf(m_operatorNames);
}

QStringList CustomerWindow::panelValues() const
{
    return textsOf(m_values);
}

QStringList CustomerWindow::freeFieldCaptions() const
{
    return textsOf(m_freeCaptions);
}

// ---------------------------------------------------------------- closing

void CustomerWindow::clearLists()
{
    m_userList->clearRows();
    m_subjectList->clearRows();
    m_logList->clearRows();
}

void CustomerWindow::closeAccount()
{
    m_follower.reset();
    m_view.reset();
    SessionState::instance().CustomerAccountName.clear();
    Connections::instance().CloseCustomerDatabase();
}

} // namespace horunea
