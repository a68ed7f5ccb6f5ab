// Writes every window built so far, filled with sample data, as PNG files into
// the folder named by HORUNEA_SCREENSHOTS; skipped without it.
#include "gui/GuiTestSupport.h"

#include "shell/MainMenuWindow.h"
#include "shell/SplashWindow.h"
#include "shell/VersionWindow.h"
#include "store/Database.h"
#include "ui/Fonts.h"

#include <QDir>
#include <QPixmap>

using namespace horunea;
using namespace horunea::test;

class TstScreenshots : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void windows();

private:
    QString m_folder;
    void save(QWidget* window, const QString& name);
};

void TstScreenshots::initTestCase()
{
    m_folder = qEnvironmentVariable("HORUNEA_SCREENSHOTS");
    if (m_folder.isEmpty())
        QSKIP("set HORUNEA_SCREENSHOTS to a folder to write the pictures");
    QDir().mkpath(m_folder);
    QApplication::setFont(programFont());
}

void TstScreenshots::save(QWidget* window, const QString& name)
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTest::qWait(50);
    QVERIFY(window->grab().save(QDir(m_folder).filePath(name + u".png"_qs)));
}

void TstScreenshots::windows()
{
    TempDataFolder folder;
    FakeDialogs dialogs;
    {
        Database master = Database::open(DataFolder::masterPath());
        for (const QString& name : {u"営業一課"_qs, u"山田太郎"_qs, u"佐藤花子"_qs})
            master.insert(u"使用者"_qs, {{u"使用者名"_qs, name}});
        for (const QString& name : {u"修理受付"_qs, u"本店サービス"_qs})
            master.insert(u"修理"_qs, {{u"修理名"_qs, name}});
    }

    SplashWindow splash;
    save(&splash, u"Form3-splash"_qs);
    splash.hide();

    for (auto [layout, name] :
         {std::pair{MainMenuWindow::Layout::Full, u"Form4-main-menu"_qs},
          {MainMenuWindow::Layout::CustomerOnlyMenu, u"Form4-customer-only"_qs},
          {MainMenuWindow::Layout::RepairOnlyMenu, u"Form4-repair-only"_qs}}) {
        auto* menu = new MainMenuWindow();
        QVERIFY(menu->load());
        menu->setMenuLayout(layout);
        save(menu, name);
        menu->close();
    }

    VersionWindow version;
    save(&version, u"Form9-version"_qs);
}

QTEST_MAIN(TstScreenshots)
#include "tst_screenshots.moc"
