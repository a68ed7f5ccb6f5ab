#include "search/SearchWindow.h"

#include "store/DataView.h"
#include "ui/Dialogs.h"
#include "ui/EnterNavigation.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/InputMode.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace horunea {

namespace {

constexpr int WindowWidth = 6600;
constexpr int WindowHeight = 2900;

} // namespace

SearchWindow::SearchWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"Form6"_qs);
    setWindowTitle(u"ホルネア→顧客管理→検索"_qs);
    setFont(programFont());
    setFixedSize(twips(WindowWidth), twips(WindowHeight));
    m_start = commandButton(u"Command1"_qs, u"検索開始"_qs, this);
    m_close = commandButton(u"Command2"_qs, u"閉じる"_qs, this);
    for (QPushButton* b : {m_start, m_close})
        b->setAutoDefault(false);
    placeTwips(m_start, WindowWidth - 3120, WindowHeight - 600, 1400, 420);
    placeTwips(m_close, WindowWidth - 1620, WindowHeight - 600, 1400, 420);
    connect(m_start, &QPushButton::clicked, this, &SearchWindow::start);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    m_customerPanel = buildPanel({u"ﾕｰｻﾞｰ検索"_qs, u"件名検索"_qs, u"ログ検索"_qs}, 1, 1, 1, 1);
    m_repairPanel = buildPanel({u"修理検索"_qs, u"入金検索"_qs, u"ログ検索"_qs}, 2, 3, 2, 2);
}

SearchWindow::SearchWindow(DataView& view, QWidget* parent) : SearchWindow(parent)
{
    m_view = &view;
    Panel& p = shownPanel();
    (SearchForCustomer() ? m_repairPanel : m_customerPanel).panel->hide();
    p.join->setCurrentIndex(0);
    joinChanged(p);
    if (!SearchForCustomer()) {
        // 修理検索 or 入金検索, as the repair window shows its repair list or
        // its unpaid list; ログ検索 always.
        const bool unpaid = view.mainSearchKind() == SearchKind::Unpaid;
        p.options[0]->setVisible(!unpaid);
        p.options[1]->setVisible(unpaid);
    }
    const SearchKind first = view.mainSearchKind();
    p.options[first == SearchKind::Unpaid ? 1 : 0]->setChecked(true);
    p.panel->show();
    p.word1->setFocus();
}

bool SearchWindow::SearchForCustomer() const
{
    return m_view->kind() == AccountKind::Operator;
}

SearchWindow::Panel& SearchWindow::shownPanel()
{
    return SearchForCustomer() ? m_customerPanel : m_repairPanel;
}

SearchWindow::Panel SearchWindow::buildPanel(const QStringList& options, int optionArray,
                                             int firstText, int combo, int check)
{
    Panel p;
    p.panel = new QWidget(this);
    placeTwips(p.panel, 0, 0, WindowWidth, WindowHeight - 700);
    p.panel->hide();

    auto* where = new QGroupBox(u"どこを検索しますか？"_qs, p.panel);
    placeTwips(where, 120, 120, 2100, 1560);
    for (int i = 0; i < options.size(); ++i) {
        auto* option = new QRadioButton(options[i], where);
        option->setObjectName(QStringLiteral("Option%1_%2").arg(optionArray).arg(i));
        placeTwips(option, 200, 330 + i * 390, 1800, 330);
        p.options << option;
    }

    auto* words = new QGroupBox(u"含まれる文字は？"_qs, p.panel);
    placeTwips(words, 2340, 120, WindowWidth - 2460, 1560);
    p.word1 = new QLineEdit(words);
    p.word1->setObjectName(QStringLiteral("Text%1").arg(firstText));
    p.join = new QComboBox(words);
    p.join->setObjectName(QStringLiteral("Combo%1").arg(combo));
    p.join->addItems(searchJoinChoices()); // a pick list: no text of its own
    p.word2 = new QLineEdit(words);
    p.word2->setObjectName(QStringLiteral("Text%1").arg(firstText + 1));
    const int inner = WindowWidth - 2460 - 400;
    placeTwips(p.word1, 200, 330, inner, 330);
    placeTwips(p.join, 200, 720, 1200, 330);
    placeTwips(p.word2, 200, 1110, inner, 330);
    for (QLineEdit* box : {p.word1, p.word2})
        setInputMode(box, InputMode::Kana);

    p.folded = new QCheckBox(u"全角・半角、ひらがな・カタカナを区別しない"_qs, p.panel);
    p.folded->setObjectName(QStringLiteral("Check%1").arg(check));
    p.folded->setChecked(true);
    p.folded->setToolTip(u"外すと、入力したとおりの文字だけを探します"_qs);
    placeTwips(p.folded, 120, 1760, WindowWidth - 240, 330);

    auto* navigation = new EnterNavigation(this);
    for (QRadioButton* option : p.options)
        navigation->chain(option, p.word1);
    navigation->chain(p.word1, p.join);
    QComboBox* join = p.join;
    QLineEdit* word2 = p.word2;
    navigation->chain(p.join, [this, join, word2] {
        if (join->currentIndex() == 0) {
            m_start->setFocus();
        } else {
            word2->setEnabled(true);
            word2->setFocus();
        }
    });
    navigation->chain(p.word2, m_start);
    navigation->pressesOnEnter(m_start);
    navigation->pressesOnEnter(m_close);

    connect(p.join, &QComboBox::currentIndexChanged, this, [this, p] { joinChanged(p); });
    return p;
}

void SearchWindow::joinChanged(const Panel& p)
{
    // なし drops the second word: its box is emptied and cannot be typed in.
    const bool none = p.join->currentIndex() == 0;
    p.word2->setEnabled(!none);
    if (none)
        p.word2->clear();
}

SearchRequest SearchWindow::request() const
{
    const Panel& p = SearchForCustomer() ? m_customerPanel : m_repairPanel;
    static const SearchKind customerKinds[] = {SearchKind::Users, SearchKind::Subjects,
                                               SearchKind::Logs};
    static const SearchKind repairKinds[] = {SearchKind::Repairs, SearchKind::Unpaid,
                                             SearchKind::RepairLogs};
    SearchRequest r;
    int chosen = 0;
    for (int i = 0; i < p.options.size(); ++i)
        if (p.options[i]->isChecked())
            chosen = i;
    r.kind = SearchForCustomer() ? customerKinds[chosen] : repairKinds[chosen];
    r.word1 = p.word1->text();
    r.join = searchJoinOf(p.join->currentText());
    r.word2 = r.join == SearchJoin::None ? QString() : p.word2->text();
    r.folded = p.folded->isChecked();
    return r;
}

void SearchWindow::start()
{
    QGuiApplication::inputMethod()->commit();
    const SearchRequest r = request();
    const bool done = runGuarded(this, [&] { m_view->Search(r); });
    if (done)
        accept();
}

} // namespace horunea
