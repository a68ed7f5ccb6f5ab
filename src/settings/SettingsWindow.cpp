#include "settings/SettingsWindow.h"

#include "settings/SettingsRecord.h"
#include "store/DataView.h"
#include "ui/Dialogs.h"
#include "ui/EnterNavigation.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/InputMode.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>

namespace horunea {

namespace {

constexpr int WindowWidth = 6900;
constexpr int WindowHeight = 4800;
constexpr int RowHeight = 330;

QLabel* label(const QString& text, QWidget* parent, int left, int top, int width,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* l = plainLabel(text, parent);
    l->setAlignment(align);
    placeTwips(l, left, top, width, RowHeight);
    return l;
}

QString numberedName(const QString& stem, int n)
{
    return stem + QString::number(n);
}

} // namespace

SettingsWindow::SettingsWindow(QWidget* parent) : EditDialog(parent)
{
    setObjectName(u"Form5"_qs);
    setWindowTitle(u"ホルネア→各設定"_qs);
    setFont(programFont());
    setFixedSize(twips(WindowWidth), twips(WindowHeight));
    m_close = commandButton(u"Command4"_qs, u"閉じる"_qs, this);
    placeTwips(m_close, WindowWidth - 1600, WindowHeight - 640, 1400, 420);
    connect(m_close, &QPushButton::clicked, this, &EditDialog::closeWithoutAsking);
}

SettingsWindow::SettingsWindow(DataView& view, QWidget* parent) : SettingsWindow(parent)
{
    m_view = &view;
    buildCustomerTabs();
    buildRepairTabs();
    load();
}

bool SettingsWindow::SettingsForCustomer() const
{
    return m_view->kind() == AccountKind::Operator;
}

Database& SettingsWindow::database() const
{
    return m_view->database();
}

SettingsWindow::Tabs& SettingsWindow::shownTabs()
{
    return SettingsForCustomer() ? m_customerTabs : m_repairTabs;
}

void SettingsWindow::buildCustomerTabs()
{
    m_customerTabs = buildTabs({.name = u"SSTab1"_qs,
                                .leads = {u"ﾕｰｻﾞｰは"_qs, u"件名は"_qs, u"ログは"_qs},
                                .keyChoices = customerSortKeyChoices(),
                                .captionCount = 5,
                                .firstCombo = 1,
                                .firstText = 1,
                                .firstMarginText = 9,
                                .firstScroll = 1,
                                .firstCommand = 1});
}

void SettingsWindow::buildRepairTabs()
{
    m_repairTabs = buildTabs({.name = u"SSTab2"_qs,
                              .leads = {u"修理は"_qs, u"集金は"_qs, u"ログは"_qs},
                              .keyChoices = repairSortKeyChoices(),
                              .captionCount = 3,
                              .firstCombo = 7,
                              .firstText = 6,
                              .firstMarginText = 13,
                              .firstScroll = 3,
                              .firstCommand = 5});
}

SettingsWindow::Tabs SettingsWindow::buildTabs(const TabsLayout& layout)
{
    Tabs t;
    t.tabs = new QTabWidget(this);
    t.tabs->setObjectName(layout.name);
    placeTwips(t.tabs, 120, 120, WindowWidth - 240, WindowHeight - 900);
    t.tabs->hide();
    auto* navigation = new EnterNavigation(this);
    t.tabs->addTab(buildSortPage(layout, t, *navigation), u"並べ替え"_qs);
    t.tabs->addTab(buildCaptionPage(layout, t, *navigation), u"自由項目"_qs);
    t.tabs->addTab(buildMarginPage(layout, t, *navigation), u"余白設定"_qs);
    connect(t.sortButton, &QPushButton::clicked, this, &SettingsWindow::saveSortOrder);
    connect(t.captionButton, &QPushButton::clicked, this, &SettingsWindow::saveCaptions);
    connect(t.marginButton, &QPushButton::clicked, this, &SettingsWindow::saveMargins);
    return t;
}

// 並べ替え: three sentences "ﾕｰｻﾞｰは [key] の [direction] です".
QWidget* SettingsWindow::buildSortPage(const TabsLayout& layout, Tabs& t,
                                       EnterNavigation& navigation)
{
    const int firstCombo = layout.firstCombo;
    auto* sortPage = new QWidget;
    for (int row = 0; row < 3; ++row) {
        const int top = 300 + row * 600;
        label(layout.leads[row], sortPage, 240, top, 1000, Qt::AlignRight | Qt::AlignVCenter);
        auto* key = new QComboBox(sortPage);
        key->setObjectName(numberedName(u"Combo"_qs, firstCombo + 2 * row));
        key->addItems(layout.keyChoices[size_t(row)]);
        placeTwips(key, 1300, top, 1900, RowHeight);
        label(u"の"_qs, sortPage, 3260, top, 300, Qt::AlignCenter);
        auto* direction = new QComboBox(sortPage);
        direction->setObjectName(numberedName(u"Combo"_qs, firstCombo + 2 * row + 1));
        direction->addItems(sortDirectionChoices());
        placeTwips(direction, 3620, top, 1100, RowHeight);
        label(u"です"_qs, sortPage, 4780, top, 600);
        t.sortChoices << key << direction;
    }
    t.sortButton = commandButton(numberedName(u"Command"_qs, layout.firstCommand),
                                 u"並べ替え変更"_qs, sortPage);
    placeTwips(t.sortButton, 3620, 2300, 1900, 450);
    for (int i = 0; i < t.sortChoices.size(); ++i) {
        QWidget* next = i + 1 < t.sortChoices.size() ? static_cast<QWidget*>(t.sortChoices[i + 1])
                                                     : t.sortButton;
        navigation.chain(t.sortChoices[i], next);
    }
    return sortPage;
}

// 自由項目: a caption box per free field.
QWidget* SettingsWindow::buildCaptionPage(const TabsLayout& layout, Tabs& t,
                                          EnterNavigation& navigation)
{
    auto* captionPage = new QWidget;
    for (int i = 0; i < layout.captionCount; ++i) {
        const int top = 200 + i * 450;
        label(QStringLiteral("自由項目%1").arg(i + 1, 2, 10, QLatin1Char('0')), captionPage, 300,
              top, 1200);
        auto* box = new QLineEdit(captionPage);
        box->setObjectName(numberedName(u"Text"_qs, layout.firstText + i));
        setInputMode(box, InputMode::Kana);
        placeTwips(box, 1550, top, 3800, RowHeight);
        t.captions << box;
    }
    t.captionButton = commandButton(numberedName(u"Command"_qs, layout.firstCommand + 1),
                                    u"自由項目変更"_qs, captionPage);
    placeTwips(t.captionButton, 3450, 200 + layout.captionCount * 450 + 100, 1900, 450);
    for (int i = 0; i < t.captions.size(); ++i) {
        QWidget* next =
            i + 1 < t.captions.size() ? static_cast<QWidget*>(t.captions[i + 1]) : t.captionButton;
        navigation.chain(t.captions[i], next);
    }
    return captionPage;
}

// 余白設定: four boxes laid out like a page, each with its scroll bar.
QWidget* SettingsWindow::buildMarginPage(const TabsLayout& layout, Tabs& t,
                                         EnterNavigation& navigation)
{
    auto* marginPage = new QWidget;
    auto* page = new QFrame(marginPage);
    page->setFrameShape(QFrame::Box);
    page->setStyleSheet(
        u"QFrame { background: palette(base); border: 1px solid palette(mid); }"_qs);
    placeTwips(page, 1900, 780, 1900, 1260);
    struct Side
    {
        const char16_t* caption;
        int boxLeft, boxTop;
        int labelLeft, labelTop;
        bool vertical;
        int barLeft, barTop;
        const char16_t* barStem;
        int barNumber;
    };
    const int v = layout.firstScroll, h = layout.firstScroll;
    const Side sides[4] = {
        {u"上", 2350, 330, 2350, 0, true, 3370, 100, u"VScroll", v},
        {u"左", 700, 1240, 250, 1240, false, 700, 1600, u"HScroll", h},
        {u"右", 4100, 1240, 5120, 1240, false, 4100, 1600, u"HScroll", h + 1},
        {u"下", 2350, 2250, 2350, 2590, true, 3370, 2090, u"VScroll", v + 1},
    };
    for (int i = 0; i < 4; ++i) {
        const Side& s = sides[i];
        label(QString::fromUtf16(s.caption), marginPage, s.labelLeft, s.labelTop,
              i == 1 || i == 2 ? 400 : 1000, Qt::AlignCenter);
        auto* box = new QLineEdit(marginPage);
        box->setObjectName(numberedName(u"Text"_qs, layout.firstMarginText + i));
        box->setAlignment(Qt::AlignRight);
        setInputMode(box, InputMode::Off);
        placeTwips(box, s.boxLeft, s.boxTop, 1000, RowHeight);
        auto* bar = new QScrollBar(s.vertical ? Qt::Vertical : Qt::Horizontal, marginPage);
        bar->setObjectName(QString::fromUtf16(s.barStem) + QString::number(s.barNumber));
        bar->setRange(0, MaxMargin);
        bar->setSingleStep(10);
        bar->setPageStep(100);
        if (s.vertical)
            placeTwips(bar, s.barLeft, s.barTop, 255, 640);
        else
            placeTwips(bar, s.barLeft, s.barTop, 1000, 255);
        // The bar writes its box; typing into the box does not move the bar.
        connect(bar, &QScrollBar::valueChanged, box,
                [box](int value) { box->setText(QString::number(value)); });
        t.margins[size_t(i)] = box;
        t.bars[size_t(i)] = bar;
    }
    auto* note =
        plainLabel(u"プリンターによって余白がずれる場合があります、ご了承下さい"_qs, marginPage);
    placeTwips(note, 250, 3000, 5000, RowHeight);
    t.marginButton = commandButton(numberedName(u"Command"_qs, layout.firstCommand + 2),
                                   u"余白変更"_qs, marginPage);
    placeTwips(t.marginButton, 4500, 2350, 1500, 450);
    for (int i = 0; i < 4; ++i)
        navigation.chain(t.margins[size_t(i)],
                         i < 3 ? static_cast<QWidget*>(t.margins[size_t(i + 1)]) : t.marginButton);
    return marginPage;
}

void SettingsWindow::load()
{
    Tabs& t = shownTabs();
    t.tabs->show();
    runGuarded(this, [&] {
        const SettingsRecord record = LoadSettings(database(), m_view->kind());
        for (int i = 0; i < t.captions.size(); ++i) {
            t.captions[i]->setText(record.captions.value(i));
            // An emptied box keeps what is stored: the box shows which.
            t.captions[i]->setPlaceholderText(record.captions.value(i));
        }
        for (int i = 0; i < 6; ++i)
            t.sortChoices[i]->setCurrentIndex(record.sortPositions[size_t(i)]);
        for (size_t i = 0; i < 4; ++i) {
            t.margins[i]->setText(record.margins[i]);
            t.margins[i]->setPlaceholderText(record.margins[i]);
            // A bar takes its box's number; text that is none leaves it at 0.
            const QSignalBlocker quiet(t.bars[i]);
            t.bars[i]->setValue(marginValue(record.margins[i]).value_or(0));
        }
    });
    markUnchanged();
}

void SettingsWindow::saveSortOrder()
{
    const Tabs& t = shownTabs();
    std::array<int, 6> positions{};
    for (int i = 0; i < 6; ++i)
        positions[size_t(i)] = t.sortChoices[i]->currentIndex();
    const bool saved = runGuarded(this, [&] {
        SaveSortOrder(database(), m_view->kind(), positions);
        m_view->applySortOrder();
    });
    if (saved)
        accept();
}

void SettingsWindow::saveCaptions()
{
    QGuiApplication::inputMethod()->commit();
    const Tabs& t = shownTabs();
    QStringList boxes;
    for (const QLineEdit* box : t.captions)
        boxes << box->text();
    const bool saved = runGuarded(this, [&] {
        SaveFreeFields(database(), m_view->kind(), boxes);
        m_view->applyFieldCaptions();
    });
    if (saved)
        accept();
}

void SettingsWindow::saveMargins()
{
    const Tabs& t = shownTabs();
    std::array<QString, 4> boxes;
    for (size_t i = 0; i < 4; ++i)
        boxes[i] = t.margins[i]->text();
    // A box that holds no whole number is named, and the window stays open
    // for it to be put right.
    const QString problem = marginProblem(boxes);
    if (!problem.isEmpty()) {
        Dialogs::instance().message(this, problem, Dialogs::Icon::Exclamation);
        for (size_t i = 0; i < 4; ++i) {
            if (!boxes[i].trimmed().isEmpty() && !marginValue(boxes[i])) {
                t.margins[i]->setFocus();
                t.margins[i]->selectAll();
                break;
            }
        }
        return;
    }
    const bool saved = runGuarded(this, [&] { SaveMargins(database(), m_view->kind(), boxes); });
    if (saved)
        accept();
}

} // namespace horunea
