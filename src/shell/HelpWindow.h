#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QUrl;

namespace horunea {

// One page of the manual: its file in the help folder and its title.
struct HelpPage
{
    QString file;
    QString title;
};

// The pages the contents of index.html link to, in their order, index.html
// itself first; empty when the folder holds no manual.
std::vector<HelpPage> HelpContents(const QString& folder);

// Where words occur in a text, found as the search of the lists finds them:
// regardless of width, kana and letter case. Each hit is a start and a
// length in the text as it stands.
struct TextHit
{
    qsizetype start = 0;
    qsizetype length = 0;
};
std::vector<TextHit> FindWords(QStringView text, QStringView words);

// Shows the manual in the help window; where the program has no manual
// pages, hands the help document to the desktop as it always did.
void showManual(QWidget* owner);

// The program's own help: the manual's HTML pages with their contents and a
// search over all of them, opened without any other program.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(const QString& folder, QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Shows the one help window (made on first use) in front, on the page;
    // nullptr when there is no manual to show.
    static HelpWindow* showHelp(const QString& page = QString());
    static HelpWindow* current();

    // Opens a page of the manual and marks every place the words occur.
    void showPage(const QString& file, const QString& words = QString());
    // Searches every page; the result list names the pages that hold the
    // words, most hits first. Returns the titles found.
    QStringList search(const QString& words);

    QString currentFile() const;
    QTextBrowser* browser() const { return m_browser; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QHBoxLayout* buildButtons();
    QWidget* buildSearchPage();
    void connectPages();
    void openLink(const QUrl& url);
    void markWords(const QString& words);
    void openResult(int row);
    void openDocument();

    QString m_folder;
    std::vector<HelpPage> m_pages;
    std::vector<QString> m_pageTexts; // plain text of each page, read on first search
    QTabWidget* m_tabs;
    QListWidget* m_contents;
    QLineEdit* m_searchBox;
    QListWidget* m_results;
    QLabel* m_resultCount;
    QTextBrowser* m_browser;
    QString m_markedWords;
};

} // namespace horunea
