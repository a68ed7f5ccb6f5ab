#include "shell/HelpWindow.h"

#include "store/DataFolder.h"
#include "store/JetDialect.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/UserSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace horunea {

namespace {

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString plainTextOf(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

QPointer<HelpWindow> s_window;

} // namespace

std::vector<HelpPage> HelpContents(const QString& folder)
{
    const QString index = readText(QDir(folder).filePath(u"index.html"_qs));
    if (index.isEmpty())
        return {};
    std::vector<HelpPage> pages{{u"index.html"_qs, u"目次"_qs}};
    static const QRegularExpression link(
        QStringLiteral("<a href=\"([A-Za-z0-9_-]+\\.html)\">([^<]+)</a>"));
    for (const QRegularExpressionMatch& m : link.globalMatch(index)) {
        const QString file = m.captured(1);
        const bool known = std::any_of(pages.begin(), pages.end(),
                                       [&](const HelpPage& p) { return p.file == file; });
        if (!known && QFileInfo::exists(QDir(folder).filePath(file)))
            pages.push_back({file, m.captured(2).trimmed()});
    }
    return pages;
}

std::vector<TextHit> FindWords(QStringView text, QStringView words)
{
    // The text folded a character at a time, remembering where each folded
    // character came from, so that a hit maps back onto the text as shown.
    QString folded;
    std::vector<qsizetype> origin;
    folded.reserve(text.size());
    origin.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString piece = searchFolded(text.mid(i, width));
        folded += piece;
        origin.insert(origin.end(), size_t(piece.size()), i);
        i += width;
    }
    origin.push_back(text.size());

    std::vector<TextHit> hits;
    for (const QString& word : searchFolded(words).split(u' ', Qt::SkipEmptyParts)) {
        std::vector<TextHit> found;
        for (qsizetype at = folded.indexOf(word); at >= 0; at = folded.indexOf(word, at + 1)) {
            const qsizetype start = origin[size_t(at)];
            qsizetype end = origin[size_t(at + word.size())];
            if (end <= start) // the word ended inside one character's folding
                end = start + 1;
            found.push_back({start, end - start});
        }
        if (found.empty())
            return {}; // every word must be there
        hits.insert(hits.end(), found.begin(), found.end());
    }
    std::sort(hits.begin(), hits.end(),
              [](const TextHit& a, const TextHit& b) { return a.start < b.start; });
    return hits;
}

void showManual(QWidget* owner)
{
    if (HelpWindow::showHelp())
        return;
    const QUrl url = QUrl::fromLocalFile(DataFolder::helpDocumentPath());
    if (!url.isValid()) {
        Dialogs::instance().message(owner, url.errorString(), Dialogs::Icon::Critical);
        return;
    }
    // A missing document or one with no program for it is not reported.
    Dialogs::instance().openUrl(url);
}

namespace {

QPushButton* helpButton(const QString& name, const QString& text, const QString& tip,
                        QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    return button;
}

} // namespace

HelpWindow::HelpWindow(const QString& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_folder(folder), m_pages(HelpContents(folder))
{
    setObjectName(u"HelpWindow"_qs);
    setWindowTitle(u"ホルネア ヘルプ"_qs);
    setFont(programFont());

    m_contents = new QListWidget(this);
    m_contents->setObjectName(u"HelpContents"_qs);
    for (const HelpPage& page : m_pages)
        m_contents->addItem(page.title);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(u"HelpTabs"_qs);
    m_tabs->addTab(m_contents, u"目次"_qs);
    m_tabs->addTab(buildSearchPage(), u"検索"_qs);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(u"HelpBrowser"_qs);
    m_browser->setOpenLinks(false);
    m_browser->setSearchPaths({m_folder});

    auto* splitter = new QSplitter(this);
    splitter->setObjectName(u"HelpSplitter"_qs);
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 740});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildButtons());
    layout->addWidget(splitter, 1);
    connectPages();

    resize(1000, 720);
    restoreWindowPlace(this);
    if (!m_pages.empty())
        showPage(u"index.html"_qs);
    else
        m_browser->setPlainText(u"説明書のページが見つかりません: "_qs +
                                QDir::toNativeSeparators(m_folder));
}

QHBoxLayout* HelpWindow::buildButtons()
{
    auto* back = helpButton(u"HelpBack"_qs, u"← 戻る"_qs, u"前に見たページへ (Alt+←)"_qs, this);
    auto* forward = helpButton(u"HelpForward"_qs, u"進む →"_qs, u"次のページへ (Alt+→)"_qs, this);
    auto* home = helpButton(u"HelpHome"_qs, u"目次"_qs, u"目次のページへ (Alt+Home)"_qs, this);
    auto* document =
        helpButton(u"HelpDocument"_qs, u"ホルネア2.0.0.doc を開く"_qs,
                   u"以前からの説明書 (Word 文書) を、それを開くプログラムで開きます"_qs, this);
    auto* close = helpButton(u"HelpClose"_qs, u"閉じる"_qs, u"ヘルプを閉じる (Esc)"_qs, this);
    back->setEnabled(false);
    forward->setEnabled(false);
    // The buttons act on the browser made before them.
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    connect(home, &QPushButton::clicked, this, [this] { showPage(u"index.html"_qs); });
    connect(document, &QPushButton::clicked, this, &HelpWindow::openDocument);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(home);
    buttons->addStretch();
    buttons->addWidget(document);
    buttons->addWidget(close);
    return buttons;
}

QWidget* HelpWindow::buildSearchPage()
{
    auto* page = new QWidget(this);
    m_searchBox = new QLineEdit(page);
    m_searchBox->setObjectName(u"HelpSearchText"_qs);
    m_searchBox->setPlaceholderText(u"探す言葉 (Ctrl+F)"_qs);
    m_searchBox->setClearButtonEnabled(true);
    auto* find = new QPushButton(u"検索"_qs, page);
    find->setObjectName(u"HelpSearch"_qs);
    m_resultCount = new QLabel(page);
    m_resultCount->setObjectName(u"HelpResultCount"_qs);
    m_results = new QListWidget(page);
    m_results->setObjectName(u"HelpResults"_qs);
    auto* row = new QHBoxLayout;
    row->addWidget(m_searchBox, 1);
    row->addWidget(find);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(row);
    layout->addWidget(m_resultCount);
    layout->addWidget(m_results, 1);

    auto runSearch = [this] { search(m_searchBox->text()); };
    connect(m_searchBox, &QLineEdit::returnPressed, this, runSearch);
    connect(find, &QPushButton::clicked, this, runSearch);
    connect(m_results, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { openResult(m_results->row(item)); });
    connect(m_results, &QListWidget::currentRowChanged, this, &HelpWindow::openResult);
    return page;
}

void HelpWindow::connectPages()
{
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::openLink);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        // The contents follow the page shown, whichever way it was reached
        // (the browser tells the new page before source() has it).
        const QString file = url.fileName();
        for (size_t i = 0; i < m_pages.size(); ++i)
            if (m_pages[i].file == file) {
                const QSignalBlocker quiet(m_contents);
                m_contents->setCurrentRow(int(i));
            }
        markWords(m_markedWords);
    });
    connect(m_contents, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && size_t(row) < m_pages.size() && m_pages[size_t(row)].file != currentFile())
            showPage(m_pages[size_t(row)].file);
    });
}

HelpWindow::~HelpWindow() = default;

HelpWindow* HelpWindow::current()
{
    return s_window.data();
}

HelpWindow* HelpWindow::showHelp(const QString& page)
{
    const QString folder = DataFolder::helpFolderPath();
    if (!s_window) {
        if (!QFileInfo::exists(QDir(folder).filePath(u"index.html"_qs)))
            return nullptr;
        s_window = new HelpWindow(folder);
        s_window->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (!page.isEmpty())
        s_window->showPage(page);
    s_window->show();
    s_window->raise();
    s_window->activateWindow();
    return s_window.data();
}

QString HelpWindow::currentFile() const
{
    return m_browser->source().fileName();
}

void HelpWindow::showPage(const QString& file, const QString& words)
{
    m_markedWords = words;
    const QUrl url = QUrl::fromLocalFile(QDir(m_folder).filePath(file));
    if (m_browser->source() == url)
        markWords(words);
    else
        m_browser->setSource(url);
}

void HelpWindow::markWords(const QString& words)
{
    QList<QTextEdit::ExtraSelection> marks;
    QTextDocument* document = m_browser->document();
    if (!words.trimmed().isEmpty()) {
        QTextCharFormat marked;
        marked.setBackground(palette().color(QPalette::Highlight));
        marked.setForeground(palette().color(QPalette::HighlightedText));
        for (const TextHit& hit : FindWords(document->toPlainText(), words)) {
            QTextCursor cursor(document);
            cursor.setPosition(int(hit.start));
            cursor.setPosition(int(hit.start + hit.length), QTextCursor::KeepAnchor);
            marks.append({cursor, marked});
        }
    }
    m_browser->setExtraSelections(marks);
    if (!marks.isEmpty()) {
        QTextCursor first = marks.first().cursor;
        first.setPosition(first.selectionStart());
        m_browser->setTextCursor(first);
        m_browser->ensureCursorVisible();
    }
}

QStringList HelpWindow::search(const QString& words)
{
    m_tabs->setCurrentIndex(1);
    if (m_searchBox->text() != words)
        m_searchBox->setText(words);
    if (m_pageTexts.size() != m_pages.size())
        for (size_t i = m_pageTexts.size(); i < m_pages.size(); ++i)
            m_pageTexts.push_back(plainTextOf(readText(QDir(m_folder).filePath(m_pages[i].file))));

    struct Found
    {
        size_t page;
        size_t hits;
    };
    std::vector<Found> found;
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (const size_t hits = FindWords(m_pageTexts[i], words).size(); hits > 0)
            found.push_back({i, hits});
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return a.hits > b.hits; });

    const QSignalBlocker quiet(m_results);
    m_results->clear();
    QStringList titles;
    for (const Found& f : found) {
        const HelpPage& page = m_pages[f.page];
        auto* item = new QListWidgetItem(QStringLiteral("%1 (%2)").arg(page.title).arg(f.hits));
        item->setData(Qt::UserRole, page.file);
        m_results->addItem(item);
        titles << page.title;
    }
    if (words.trimmed().isEmpty())
        m_resultCount->setText(u"探す言葉を入れて Enter を押してください。"_qs);
    else if (found.empty())
        m_resultCount->setText(u"「"_qs + words.trimmed() + u"」のあるページはありません。"_qs);
    else
        m_resultCount->setText(
            QStringLiteral("「%1」のあるページ: %2").arg(words.trimmed()).arg(found.size()));
    m_markedWords = words;
    if (!found.empty()) {
        m_results->setCurrentRow(0);
        openResult(0);
    }
    return titles;
}

void HelpWindow::openResult(int row)
{
    if (QListWidgetItem* item = m_results->item(row))
        showPage(item->data(Qt::UserRole).toString(), m_searchBox->text());
}

void HelpWindow::openLink(const QUrl& url)
{
    const QUrl resolved = m_browser->source().resolved(url);
    if (resolved.isLocalFile()) {
        m_markedWords.clear();
        m_browser->setSource(resolved);
        return;
    }
    openOnDesktop(this, url);
}

void HelpWindow::openDocument()
{
    const QString path = DataFolder::helpDocumentPath();
    if (!QFileInfo::exists(path)) {
        Dialogs::instance().message(
            this, u"説明書の文書がありません。\n"_qs + QDir::toNativeSeparators(path),
            Dialogs::Icon::Exclamation);
        return;
    }
    if (!Dialogs::instance().openUrl(QUrl::fromLocalFile(path)))
        Dialogs::instance().message(this,
                                    u"Word 文書を開くプログラムが見つかりません。\n"_qs
                                    u"このヘルプに同じ内容があります。\n"_qs +
                                        QDir::toNativeSeparators(path),
                                    Dialogs::Icon::Exclamation);
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    const bool alt = event->modifiers() == Qt::AltModifier;
    const bool control = event->modifiers() == Qt::ControlModifier;
    if (event->key() == Qt::Key_Escape) {
        close();
    } else if (control && event->key() == Qt::Key_F) {
        m_tabs->setCurrentIndex(1);
        m_searchBox->setFocus();
        m_searchBox->selectAll();
    } else if (alt && event->key() == Qt::Key_Left) {
        m_browser->backward();
    } else if (alt && event->key() == Qt::Key_Right) {
        m_browser->forward();
    } else if (alt && event->key() == Qt::Key_Home) {
        showPage(u"index.html"_qs);
    } else {
        QWidget::keyPressEvent(event);
    }
}

void HelpWindow::closeEvent(QCloseEvent* event)
{
    saveWindowPlace(this);
    QWidget::closeEvent(event);
}

} // namespace horunea
