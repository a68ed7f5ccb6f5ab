// Shows every window filled with sample data and writes each as a PNG into
// the folder named by HORUNEA_SCREENSHOTS (a temporary one without it, so
// that every window is still built, shown and drawn on every run).
#include "Fixtures.h"
#include "PreviousVersionFixture.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "admin/AdministratorWindows.h"
#include "customer/CustomerSettings.h"
#include "customer/CustomerWindow.h"
#include "editor/RecordEditorDialog.h"
#include "import/ImportWindow.h"
#include "print/ReportPreview.h"
#include "print/Reports.h"
#include "repair/MakerWindow.h"
#include "repair/OwnCompanyWindow.h"
#include "repair/RepairWindow.h"
#include "search/SearchWindow.h"
#include "settings/SettingsWindow.h"
#include "store/SessionState.h"
#include "ui/ReportListView.h"

#include "shell/HelpWindow.h"
#include "shell/MainMenuWindow.h"
#include "shell/SplashWindow.h"
#include "shell/VersionWindow.h"
#include "store/Database.h"
#include "ui/Fonts.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace horunea;
using namespace horunea::test;

class TstScreenshots : public GuiTestCase
{
    Q_OBJECT
private slots:
    void initTestCase();
    void windows();

private:
    void customerWindow();
    void repairWindows();

private:
    QString m_pictures;
    QTemporaryDir m_temporary;
    void save(QWidget* window, const QString& name);
};

void TstScreenshots::initTestCase()
{
    m_pictures = qEnvironmentVariable("HORUNEA_SCREENSHOTS");
    if (m_pictures.isEmpty())
        m_pictures = m_temporary.path();
    QDir().mkpath(m_pictures);
    QApplication::setFont(programFont());
}

void TstScreenshots::save(QWidget* window, const QString& name)
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTest::qWait(50);
    QVERIFY(window->grab().save(QDir(m_pictures).filePath(name + u".png"_qs)));
}

void TstScreenshots::windows()
{
    FakeDialogs& dialogs = *m_dialogs;
    for (const QString& name : {u"営業一課"_qs, u"山田太郎"_qs, u"佐藤花子"_qs})
        makeOperator(name);
    for (const QString& name : {u"修理受付"_qs, u"本店サービス"_qs})
        makeRepairAccount(name);

    auto* splash = new SplashWindow(); // deletes itself when it closes
    save(splash, u"Form3-splash"_qs);
    splash->close();

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
    {
        HelpWindow help(DataFolder::helpFolderPath());
        help.resize(1000, 640);
        help.showPage(u"customer.html"_qs);
        save(&help, u"HelpWindow"_qs);
        help.search(u"バックアップ"_qs);
        save(&help, u"HelpWindow-search"_qs);
    }

    Connections::instance().OpenMasterDatabase();
    {
        AdministratorLoginWindow login;
        save(&login, u"Form13-administrator-login"_qs);
        AdministratorMenuWindow administration;
        save(&administration, u"Form10-administrator-menu"_qs);
    }
    {
        QTemporaryDir oldDir;
        PreviousFolder old(oldDir.path());
        old.setUsers({{u"山田太郎"_qs, u"鈴木花子"_qs}});
        old.write();
        ImportWindow import;
        auto* tabs = child<QTabWidget>(&import, u"SSTab1"_qs);
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            if (tab == 1)
                import.ShowImportProgress(u"ﾕｰｻﾞｰ情報追加"_qs, 42, 100);
            if (tab == 3 || tab == 4) {
                dialogs.fileAnswers.enqueue(old.file(u"ホルネア.exe"_qs));
                child<QPushButton>(&import, tab == 3 ? u"Command6"_qs : u"Command7"_qs)->click();
            }
            save(&import, QStringLiteral("Form8-import-%1").arg(tab + 1));
        }
    }
    Connections::instance().CloseMasterDatabase();

    customerWindow();
}

void TstScreenshots::customerWindow()
{
    {
        Database db = Database::open(customerFile(u"山田太郎"_qs));
        const qint64 kato = addUser(db, u"ｶﾄｳ ｹﾝｼﾞ"_qs, u"加藤健二"_qs,
                                    {{u"ユーザー名ふりがな"_qs, u"ｶﾄｳ ｹﾝｼﾞ"_qs},
                                     {u"ユーザー名"_qs, u"加藤健二"_qs},
                                     {u"自宅ＴＥＬ"_qs, u"03-1234-5678"_qs},
                                     {u"自宅住所"_qs, u"東京都練馬区豊玉北1-2-3"_qs},
                                     {u"会社名ふりがな"_qs, u"ｶﾄｳｺｳｷﾞｮｳ"_qs},
                                     {u"会社名"_qs, u"加藤工業株式会社"_qs},
                                     {u"部署"_qs, u"総務部"_qs},
                                     {u"会社ＴＥＬ"_qs, u"03-9876-5432"_qs},
                                     {u"会社住所"_qs, u"東京都中野区中野4-5-6"_qs},
                                     {u"E-MAIL"_qs, u"kato@example.jp"_qs},
                                     {u"URL"_qs, u"https://kato.example.jp/"_qs},
                                     {u"備考"_qs, u"月末締め"_qs},
                                     {u"自由項目01"_qs, u"ゴルフ"_qs}});
        addUser(db, u"ｶﾜｲ"_qs, u"河合商店"_qs, {{u"会社ＴＥＬ"_qs, u"045-111-2222"_qs}});
        addUser(db, u"ｷﾀﾑﾗ"_qs, u"北村様"_qs);
        addUser(db, u"ｷﾁﾀﾞ"_qs, u"𠮷田 𩸽 ㋿ 😀 〜−‖"_qs);
        const qint64 s1 = addSubject(db, kato, u"複合機の入れ替え"_qs, u"続行"_qs);
        addSubject(db, kato, u"保守契約の更新"_qs, u"完了"_qs, u"2003/12/31(水)"_qs);
        addLog(db, s1, kato, u"見積書を持参。来週回答の予定。"_qs);
        addLog(db, s1, kato, u"電話で仕様を確認した。"_qs, u"2003/08/21(木)"_qs);
    }
    Connections::instance().CustomerDatabasePath = customerFile(u"山田太郎"_qs);
    Connections::instance().OpenCustomerDatabase();
    SessionState::instance().CustomerAccountName = u"山田太郎"_qs;
    auto* window = new CustomerWindow();
    window->resize(1280, 760);
    window->OpenCustomerWindow();
    window->toolbarButton(21)->trigger();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    clickRow(window->userList(), 0);
    clickRow(window->subjectList(), 0);
    save(window, u"Form1-customer"_qs);

    for (auto [kind, isNew, name] : {std::tuple{1, false, u"Form7-user"_qs},
                                     {2, true, u"Form7-subject"_qs},
                                     {3, false, u"Form7-log"_qs}}) {
        if (kind == 3)
            clickRow(window->logList(), 0);
        RecordEditorDialog editor(EditMode{RecordKind(kind), isNew}, window->view(), window);
        save(&editor, name);
    }
    for (int tab = 0; tab < 3; ++tab) {
        SettingsWindow settings(*window->view(), window);
        child<QTabWidget>(&settings, u"SSTab1"_qs)->setCurrentIndex(tab);
        save(&settings, QStringLiteral("Form5-settings-%1").arg(tab + 1));
    }
    {
        SearchWindow search(*window->view(), window);
        child<QLineEdit>(&search, u"Text1"_qs)->setText(u"ﾔﾏﾀﾞ"_qs);
        child<QComboBox>(&search, u"Combo1"_qs)->setCurrentIndex(2);
        child<QLineEdit>(&search, u"Text2"_qs)->setText(u"東京"_qs);
        save(&search, u"Form6-search"_qs);
    }
    {
        const CustomerSortClauses sort = BuildCustomerSortClauses(window->view()->database());
        ReportPreview preview(
            ListReport(window->view()->database(),
                       *customerListPrint(u"agyou"_qs, sort.UserOrderBy, sort.UserOrderDesc)),
            window);
        preview.resize(1000, 700);
        preview.show();
        QTest::qWait(50);
        save(&preview, u"ReportPreview-customer-list"_qs);
    }
    window->view()->Search(SearchRequest{SearchKind::Users, u"東京"_qs});
    save(window, u"Form1-customer-searched"_qs);
    window->close();
    repairWindows();
}

void TstScreenshots::repairWindows()
{
    {
        Database db = Database::open(repairFile(u"修理受付"_qs));
        const qint64 r = addRepair(db, u"加藤健二"_qs, u"加藤工業株式会社"_qs, u"続行"_qs,
                                   {{u"会社TEL"_qs, u"03-9876-5432"_qs},
                                    {u"会社住所"_qs, u"東京都中野区中野4-5-6"_qs},
                                    {u"メーカー名"_qs, u"キヤノン"_qs},
                                    {u"型番"_qs, u"iR-ADV C3520"_qs},
                                    {u"シリアル"_qs, u"XKM01234"_qs},
                                    {u"付属品"_qs, u"電源コード"_qs},
                                    {u"担当者"_qs, u"山田太郎"_qs},
                                    {u"見積納期"_qs, u"11"_qs},
                                    {u"故障内容"_qs, u"給紙時に紙詰まりが起きる"_qs},
                                    {u"修理処置内容"_qs, u"給紙ローラー摩耗"_qs},
                                    {u"交換部品"_qs, u"給紙ローラー"_qs},
                                    {u"有償無償"_qs, u"有償"_qs},
                                    {u"仕切"_qs, u"8,000"_qs},
                                    {u"売値"_qs, u"12,000"_qs},
                                    {u"入金"_qs, u"未入"_qs}});
        addRepair(db, QString(), u"北村商店"_qs, u"続行"_qs, {{u"メーカー名"_qs, u"リコー"_qs}});
        addRepairLog(db, r, u"メーカーへ発送"_qs);
        addRepairLog(db, r, u"部品入荷、修理完了"_qs, u"2003/08/25(月)"_qs);
        db.insert(u"修理先"_qs,
                  {{u"メーカー名"_qs, u"キヤノン"_qs}, {u"TEL"_qs, u"03-0000-0000"_qs}});
        db.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"リコー"_qs}});
        db.update(u"自社"_qs,
                  {{u"自社名"_qs, u"ホルネア事務機"_qs}, {u"自社TEL"_qs, u"03-1111-2222"_qs}},
                  u"自社ID =1"_qs);
    }
    Connections::instance().RepairDatabasePath = repairFile(u"修理受付"_qs);
    Connections::instance().OpenRepairDatabase();
    SessionState::instance().RepairAccountName = u"修理受付"_qs;
    auto* window = new RepairWindow();
    window->resize(1280, 800);
    window->OpenRepairWindow();
    window->setOperatorNames({u"山田太郎"_qs, u"佐藤花子"_qs});
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    clickRow(window->repairList(), 0);
    save(window, u"Form2-repair"_qs);
    for (auto [kind, name] : {std::pair{4, u"Form7-repair"_qs}, {5, u"Form7-repair-log"_qs}}) {
        if (kind == 5)
            clickRow(window->repairLogList(), 0);
        RecordEditorDialog editor(EditMode{RecordKind(kind), false}, window->view(), window);
        save(&editor, name);
    }
    {
        MakerWindow makers(window);
        clickRow(makers.makerList(), 0);
        save(&makers, u"Form11-makers"_qs);
    }
    {
        OwnCompanyWindow company(window);
        save(&company, u"Form12-own-company"_qs);
    }
    {
        SettingsWindow settings(*window->view(), window);
        child<QTabWidget>(&settings, u"SSTab2"_qs)->setCurrentIndex(0);
        save(&settings, u"Form5-repair-settings"_qs);
    }
    {
        SearchWindow search(*window->view(), window);
        save(&search, u"Form6-repair-search"_qs);
    }
    window->close();
}

QTEST_MAIN(TstScreenshots)
#include "tst_screenshots.moc"
