#include "admin/AdministratorWindows.h"

#include "admin/WindowsMigration.h"

#include "store/Connections.h"
#include "store/DataFolder.h"
#include "store/DateText.h"
#include "store/Schema.h"
#include "ui/Dialogs.h"
#include "ui/EnterNavigation.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/InputMode.h"
#include "ui/ReportListView.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QValidator>

namespace horunea {

namespace {

QLabel* label(const QString& name, const QString& caption, QWidget* parent, int left, int top,
              int width, int height = 300)
{
    auto* l = plainLabel(caption, parent);
    l->setObjectName(name);
    placeTwips(l, left, top, width, height);
    return l;
}

QLineEdit* box(const QString& name, QWidget* parent, InputMode mode, bool masked, int left, int top,
               int width)
{
    auto* b = new QLineEdit(parent);
    b->setObjectName(name);
    setInputMode(b, mode);
    if (masked) {
        b->setEchoMode(QLineEdit::Password);
        // Qt's own mask character is a dot; the boxes show "*".
        b->setStyleSheet(u"lineedit-password-character: 42"_qs);
    }
    placeTwips(b, left, top, width, 330);
    return b;
}

QPushButton* placedButton(const QString& name, const QString& caption, QWidget* parent, int left,
                          int top, int width, int height = 420)
{
    QPushButton* b = commandButton(name, caption, parent);
    placeTwips(b, left, top, width, height);
    return b;
}

class NameValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        for (QChar c : std::as_const(input))
            if (isRefusedNameCharacter(c))
                return Invalid;
        return Acceptable;
    }
    void fixup(QString& input) const override
    {
        input.removeIf([](QChar c) { return isRefusedNameCharacter(c); });
    }
};

void critical(QWidget* parent, const QString& text)
{
    Dialogs::instance().message(parent, text, Dialogs::Icon::Critical);
}

} // namespace

void refuseNameCharacters(QLineEdit* box)
{
    box->setValidator(new NameValidator(box));
}

// ------------------------------------------------------------ login

AdministratorLoginWindow::AdministratorLoginWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"Form13"_qs);
    setWindowTitle(u"ホルネア→管理者ログイン"_qs);
    setFont(programFont());

    QLabel* heading = headingLabel(u"管理者ログイン"_qs, this);
    heading->setObjectName(u"Label1"_qs);
    placeTwips(heading, 120, 120, 4800, 420);
    label(u"Label2"_qs, u"管理者名"_qs, this, 120, 720, 1200);
    m_name = box(u"Text1"_qs, this, InputMode::Kana, false, 1380, 690, 3540);
    label(u"Label3"_qs, u"ﾊﾟｽﾜｰﾄﾞ"_qs, this, 120, 1170, 1200);
    m_password = box(u"Text2"_qs, this, InputMode::Off, true, 1380, 1140, 3540);
    QLabel* hint = label(u"Label4"_qs,
                         u"管理者名の初期値は『"_qs + shippedAdministratorName() +
                             u"』、ﾊﾟｽﾜｰﾄﾞは『空白』です。"_qs,
                         this, 120, 1620, 4800, 540);
    hint->setWordWrap(true);
    QPushButton* login = placedButton(u"Command1"_qs, u"ログイン"_qs, this, 120, 2280, 2340);
    QPushButton* cancel = placedButton(u"Command2"_qs, u"キャンセル"_qs, this, 2580, 2280, 2340);
    login->setToolTip(u"管理者メニューを開きます"_qs);

    auto* navigation = new EnterNavigation(this);
    navigation->chain(m_name, m_password);
    navigation->chain(m_password, login);
    navigation->pressesOnEnter(cancel);

    connect(login, &QPushButton::clicked, this, &AdministratorLoginWindow::logIn);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(twips(5040), twips(2880));
}

void AdministratorLoginWindow::logIn()
{
    QGuiApplication::inputMethod()->commit();
    bool right = false;
    if (!runGuarded(this, [&] {
            right = CheckAdministratorLogin(MasterConnection(), m_name->text(), m_password->text());
        }))
        return;
    if (!right) {
        critical(this, u"管理者名 または パスワードが違います。"_qs);
        m_name->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}

// ------------------------------------------------------------ menu

namespace {
constexpr int BandWidth = 4800;
constexpr int BandTop = 1500;
} // namespace

AdministratorMenuWindow::AdministratorMenuWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"Form10"_qs);
    setWindowTitle(u"ホルネア→管理者メニュー"_qs);
    setFont(programFont());

    QLabel* heading = headingLabel(u"管　理　者　メ　ニ　ュ　ー"_qs, this);
    heading->setObjectName(u"Label1"_qs);
    placeTwips(heading, 120, 60, 2 * BandWidth + 120, 420);
    createCredentials();
    m_operators = createBand(AccountKind::Operator, 120);
    m_repairs = createBand(AccountKind::Repair, 240 + BandWidth);
    QPushButton* close = placedButton(u"Command2"_qs, u"閉　じ　る"_qs, this, 120, BandTop + 5460,
                                      2 * BandWidth + 120);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    QPushButton* backup =
        placedButton(u"Command20"_qs, u"バックアップ"_qs, this, 120, BandTop + 5940, BandWidth);
    backup->setToolTip(u"main.mdb、ひな形、全アカウントのファイルを新しいフォルダーに写します"_qs);
    QPushButton* restore =
        placedButton(u"Command21"_qs, u"復元"_qs, this, 240 + BandWidth, BandTop + 5940, BandWidth);
    restore->setToolTip(u"バックアップのフォルダーから、今のデータを置き換えて戻します"_qs);
    connect(backup, &QPushButton::clicked, this, &AdministratorMenuWindow::backUp);
    connect(restore, &QPushButton::clicked, this, &AdministratorMenuWindow::restore);
    QPushButton* windows = placedButton(u"Command22"_qs, u"Windows版から移行"_qs, this, 120,
                                        BandTop + 6420, 2 * BandWidth + 120);
    windows->setToolTip(u"Windows版のデータ (Access のファイル) を、このデータフォルダーに"
                        u"移します"_qs);
    connect(windows, &QPushButton::clicked, this, &AdministratorMenuWindow::moveFromWindows);
    setFixedSize(twips(2 * BandWidth + 360), twips(BandTop + 6960));

    runGuarded(this, [this] { showMaster(); });
}

void AdministratorMenuWindow::showMaster()
{
    const AdministratorCredentials admin = LoadAdministrator(MasterConnection());
    m_administratorName->setText(admin.name);
    m_administratorPassword->setText(admin.password);
    LoadAdminOperatorList();
    LoadAdminRepairList();
}

bool AdministratorMenuWindow::withProgress(
    const QString& title,
    const std::function<void(const std::function<void(int, int, const QString&)>&)>& work)
{
    QProgressDialog progress(title, QString(), 0, 1, this);
    progress.setWindowTitle(Dialogs::title());
    progress.setObjectName(u"Progress1"_qs);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    const bool done = runGuarded(this, [&] {
        work([&](int step, int total, const QString& file) {
            progress.setMaximum(total);
            progress.setValue(step - 1);
            progress.setLabelText(title + u"\n"_qs + file);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    });
    progress.reset();
    return done;
}

void AdministratorMenuWindow::moveFromWindows()
{
    const QString folder = Dialogs::instance().chooseFolder(
        this, u"Windows版のフォルダー (main.mdb のあるフォルダー)"_qs, QDir::homePath());
    if (folder.isEmpty())
        return;
    // main.mdb is set aside and replaced: the menu lets go of it and opens the new one.
    Connections::instance().CloseMasterDatabase();
    MoveShopFromWindows(this, folder);
    runGuarded(this, [this] {
        Connections::instance().OpenMasterDatabase();
        showMaster();
    });
}

bool MoveShopFromWindows(QWidget* parent, const QString& windowsFolder)
{
    Dialogs& dialogs = Dialogs::instance();
    if (!IsWindowsDataFolder(windowsFolder)) {
        dialogs.message(
            parent,
            u"このフォルダーには Windows版のデータ (Access の main.mdb) がありません。\n"_qs +
                QDir::toNativeSeparators(windowsFolder),
            Dialogs::Icon::Exclamation);
        return false;
    }
    MigrationReport check;
    if (!runGuarded(parent, [&] { check = CheckWindowsFolder(windowsFolder); }))
        return false;
    qint64 rows = 0;
    for (const MigrationFile& f : check.files)
        for (const auto& table : f.tables)
            rows += table.second;
    const QString summary =
        QStringLiteral("アカウント %1 件、%2 行のデータがあります。").arg(check.accounts).arg(rows);
    MigrationOptions options;
    options.keepOrphans = options.skipMissing = options.ignoreLocks = true;
    if (check.stopsMove(options)) {
        dialogs.message(parent,
                        summary +
                            u"\nこのままでは移せません。Windows版で次の点を直してから、"
                            u"やり直してください。何も書いていません。\n\n"_qs +
                            check.problemLines().join(u'\n'),
                        Dialogs::Icon::Exclamation);
        return false;
    }
    QString question = summary + u"\nホルネアのデータに移します。よろしいですか？"_qs;
    if (!check.problems.isEmpty())
        question += u"\n\n次の点はこのまま移します (ファイルのないアカウントとアカウントの"
                    u"ないファイルは移しません):\n"_qs +
                    check.problemLines().join(u'\n');
    if (!dialogs.confirm(parent, question))
        return false;
    QProgressDialog progress(u"移行中"_qs, u"キャンセル"_qs, 0, 0, parent);
    progress.setWindowTitle(Dialogs::title());
    progress.setObjectName(u"Progress1"_qs);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    QString aside;
    MigrationReport report;
    const bool done = runGuarded(parent, [&] {
        report = MoveIntoDataFolder(
            windowsFolder, DataFolder::path(), options,
            [&](const QString& file) {
                progress.setLabelText(u"移行中\n"_qs + file);
                QApplication::processEvents();
            },
            [&] {
                QApplication::processEvents();
                return progress.wasCanceled();
            },
            &aside, true);
    });
    progress.reset();
    if (!done)
        return false;
    dialogs.message(parent,
                    QStringLiteral("移しました。アカウント %1 件。\n元のデータは次のフォルダーに"
                                   "そのまま残しました。\n%2")
                        .arg(report.accounts)
                        .arg(QDir::toNativeSeparators(aside)),
                    Dialogs::Icon::Information);
    return true;
}

bool OfferMoveFromWindows()
{
    Dialogs& dialogs = Dialogs::instance();
    if (!dialogs.confirm(nullptr,
                         u"このデータフォルダーには Windows版のデータ (Access のファイル) が"
                         u"あります。\nホルネアのデータに移しますか？\n\n移したあとも、元の"
                         u"ファイルは「Windows版-日時」フォルダーにそのまま残します。\n"_qs +
                             QDir::toNativeSeparators(DataFolder::path()))) {
        dialogs.message(nullptr,
                        u"Windows版のデータのままでは、ホルネアは使えません。移すときは、"
                        u"もう一度起動してください。"_qs,
                        Dialogs::Icon::Information);
        return false;
    }
    return MoveShopFromWindows(nullptr, DataFolder::path());
}

void AdministratorMenuWindow::backUp()
{
    const QString folder = Dialogs::instance().chooseFolder(
        this, u"バックアップを作るフォルダー"_qs, QDir::homePath());
    if (folder.isEmpty())
        return;
    const QString destination = QDir(folder).filePath(u"ホルネアのバックアップ-"_qs +
                                                      Clock::now().toString(u"yyyyMMdd-HHmmss"_qs));
    QStringList skipped;
    if (!withProgress(u"バックアップ中"_qs, [&](const auto& progress) {
            skipped = BackupDataFolder(destination, progress);
        }))
        return;
    QString text = u"バックアップしました。\n"_qs + QDir::toNativeSeparators(destination);
    if (!skipped.isEmpty())
        text = u"バックアップは不完全です。復元には使えません。\n"_qs +
               QDir::toNativeSeparators(destination) + u"\n\n写せなかったファイル:\n"_qs +
               skipped.join(u'\n');
    Dialogs::instance().message(
        this, text, skipped.isEmpty() ? Dialogs::Icon::Information : Dialogs::Icon::Exclamation);
}

void AdministratorMenuWindow::restore()
{
    const QString folder = Dialogs::instance().chooseFolder(
        this, u"戻すバックアップのフォルダー"_qs, QDir::homePath());
    if (folder.isEmpty())
        return;
    if (!Dialogs::instance().confirm(
            this, u"今のデータを、このバックアップの内容で置き換えます。よろしいですか？\n"_qs +
                      QDir::toNativeSeparators(folder)))
        return;
    // main.mdb is replaced: the menu lets go of it and opens the restored one.
    Connections::instance().CloseMasterDatabase();
    const bool done = withProgress(
        u"復元中"_qs, [&](const auto& progress) { RestoreDataFolder(folder, progress, true); });
    runGuarded(this, [this] {
        Connections::instance().OpenMasterDatabase();
        showMaster();
    });
    if (done)
        Dialogs::instance().message(this, u"復元しました。"_qs, Dialogs::Icon::Information);
}

void AdministratorMenuWindow::createCredentials()
{
    auto* frame = new QFrame(this);
    frame->setObjectName(u"Frame1"_qs);
    frame->setFrameShape(QFrame::StyledPanel);
    placeTwips(frame, 120, 540, 2 * BandWidth + 120, 840);
    label(u"Label2"_qs, u"管理者名・ﾊﾟｽﾜｰﾄﾞ変更"_qs, frame, 120, 60, 4000);
    label(u"Label3"_qs, u"管理者名"_qs, frame, 120, 420, 1000);
    m_administratorName = box(u"Text11"_qs, frame, InputMode::Kana, false, 1140, 390, 3000);
    refuseNameCharacters(m_administratorName);
    label(u"Label4"_qs, u"ﾊﾟｽﾜｰﾄﾞ"_qs, frame, 4320, 420, 900);
    m_administratorPassword = box(u"Text12"_qs, frame, InputMode::Off, false, 5220, 390, 2600);
    QPushButton* save = placedButton(u"Command8"_qs, u"変更"_qs, frame, 7980, 360, 1620, 390);
    save->setToolTip(u"管理者名とﾊﾟｽﾜｰﾄﾞを変更します"_qs);
    auto* navigation = new EnterNavigation(this);
    navigation->chain(m_administratorName, m_administratorPassword);
    navigation->chain(m_administratorPassword, save);
    connect(save, &QPushButton::clicked, this, &AdministratorMenuWindow::saveAdministrator);
}

AdministratorMenuWindow::Band AdministratorMenuWindow::createBand(AccountKind kind, int left)
{
    const bool op = kind == AccountKind::Operator;
    auto* frame = new QFrame(this);
    frame->setObjectName(op ? u"Frame2"_qs : u"Frame3"_qs);
    frame->setFrameShape(QFrame::StyledPanel);
    placeTwips(frame, left, BandTop, BandWidth, 5880 - 480);
    const QString nameCaption = op ? u"使用者"_qs : u"修理名"_qs;
    auto n = [op](int customer, int repair) {
        return QStringLiteral("%1").arg(op ? customer : repair);
    };

    QLabel* bandHeading = headingLabel(
        op ? u"顧　客　管　理　メ　ニ　ュ　ー"_qs : u"修　理　管　理　メ　ニ　ュ　ー"_qs, frame);
    bandHeading->setObjectName(u"Label"_qs + n(5, 6));
    placeTwips(bandHeading, 60, 60, BandWidth - 120, 360);
    label(u"Label"_qs + n(7, 8), op ? u"顧客管理登録リスト"_qs : u"修理管理登録リスト"_qs, frame,
          60, 480, BandWidth - 120);

    Band band{};
    band.kind = kind;
    band.list = new ReportListView(u"ListView"_qs + n(1, 2),
                                   {op ? u"使用者No"_qs : u"修理No"_qs, nameCaption}, frame);
    band.list->setColumnHidden(0, true);
    placeTwips(band.list, 60, 780, 2100, 4560);

    const int x = 2280, w = BandWidth - x - 60;
    label(u"Label"_qs + n(9, 10), nameCaption, frame, x, 780, w);
    band.newName = box(u"Text"_qs + n(1, 2), frame, InputMode::Kana, false, x, 1080, w);
    refuseNameCharacters(band.newName);
    label(u"Label"_qs + n(11, 12), u"ﾊﾟｽﾜｰﾄﾞ"_qs, frame, x, 1440, w);
    band.newPassword = box(u"Text"_qs + n(5, 6), frame, InputMode::Off, false, x, 1740, w);
    band.create = placedButton(u"Command"_qs + n(1, 3), u"新規作成"_qs, frame, x, 2130, w, 390);

    label(u"Label"_qs + n(13, 14), u"編集"_qs, frame, x, 2640, w);
    label(u"Label"_qs + n(18, 19), nameCaption, frame, x, 2940, w);
    band.editName = box(u"Text"_qs + n(3, 8), frame, InputMode::Kana, false, x, 3210, w);
    refuseNameCharacters(band.editName);
    label(u"Label"_qs + n(20, 21), u"旧ﾊﾟｽﾜｰﾄﾞ"_qs, frame, x, 3570, w);
    band.oldPassword = box(u"Text"_qs + n(4, 9), frame, InputMode::Off, true, x, 3840, w);
    label(u"Label"_qs + n(22, 23), u"新ﾊﾟｽﾜｰﾄﾞ"_qs, frame, x, 4200, w);
    band.changedPassword = box(u"Text"_qs + n(7, 10), frame, InputMode::Off, true, x, 4470, w);
    band.change =
        placedButton(u"Command"_qs + n(4, 6), u"変更"_qs, frame, x, 4890, w / 2 - 30, 390);
    band.remove = placedButton(u"Command"_qs + n(5, 7), u"削除"_qs, frame, x + w / 2 + 30, 4890,
                               w / 2 - 30, 390);
    band.change->setEnabled(false);
    band.remove->setEnabled(false);
    band.number = plainLabel(frame);
    band.number->setObjectName(u"Label"_qs + n(16, 17));
    band.number->hide();

    auto* navigation = new EnterNavigation(this);
    navigation->chain(band.newName, band.newPassword);
    navigation->chain(band.newPassword, band.create);
    navigation->chain(band.editName, band.oldPassword);
    navigation->chain(band.oldPassword, band.changedPassword);
    navigation->chain(band.changedPassword, band.change);
    navigation->pressesOnEnter(band.remove);

    Band* self = op ? &m_operators : &m_repairs;
    connect(band.list, &ReportListView::itemClicked, this,
            [this, self](int row) { accountClicked(*self, row); });
    connect(band.list, &ReportListView::itemDoubleClicked, this, [this, self](int row) {
        accountClicked(*self, row);
        self->editName->setFocus(Qt::OtherFocusReason);
    });
    connect(band.create, &QPushButton::clicked, this, [this, self] { createAccount(*self); });
    connect(band.change, &QPushButton::clicked, this, [this, self] { changeAccount(*self); });
    connect(band.remove, &QPushButton::clicked, this, [this, self] { removeAccount(*self); });
    return band;
}

void AdministratorMenuWindow::loadList(Band& band)
{
    ListRows rows;
    for (const Account& a : LoadAccounts(MasterConnection(), band.kind))
        rows.push_back({a.number, a.name});
    band.list->setRows(std::move(rows));
    band.list->selectRow(-1); // none chosen until the administrator picks one
}

void AdministratorMenuWindow::LoadAdminOperatorList()
{
    loadList(m_operators);
}

void AdministratorMenuWindow::LoadAdminRepairList()
{
    loadList(m_repairs);
}

void AdministratorMenuWindow::accountClicked(Band& band, int row)
{
    band.number->setText(band.list->text(row, 0));
    band.editName->setText(band.list->text(row, 1));
    band.oldPassword->clear();
    band.changedPassword->clear();
    band.change->setEnabled(true);
    band.remove->setEnabled(true);
}

void AdministratorMenuWindow::createAccount(Band& band)
{
    QGuiApplication::inputMethod()->commit();
    const bool done = runGuarded(this, [&] {
        CreateAccount(MasterConnection(), band.kind, band.newName->text(),
                      band.newPassword->text());
    });
    runGuarded(this, [&] { loadList(band); });
    if (done) {
        band.newName->clear();
        band.newPassword->clear();
    }
}

void AdministratorMenuWindow::changeAccount(Band& band)
{
    QGuiApplication::inputMethod()->commit();
    if (!runGuarded(this, [&] {
            ChangeAccount(MasterConnection(), band.kind, band.number->text(), band.editName->text(),
                          band.oldPassword->text(), band.changedPassword->text());
        }))
        return;
    runGuarded(this, [&] { loadList(band); });
    band.change->setEnabled(false);
    band.remove->setEnabled(false);
}

void AdministratorMenuWindow::removeAccount(Band& band)
{
    QString name, question;
    if (!runGuarded(this, [&] {
            checkOldPassword(MasterConnection(), band.kind, band.number->text(),
                             band.oldPassword->text());
            name = FindAccount(MasterConnection(), band.kind, FindBy::Number, band.number->text())
                       .name;
        }))
        return;
    question = name + u" を削除しますか？"_qs;
    if (presentAccountFile(band.kind, name).isEmpty())
        question += u"\n(データベースファイルはすでにありません。登録だけを削除します。)"_qs;
    if (!Dialogs::instance().confirm(this, question))
        return;
    if (!runGuarded(this, [&] {
            RemoveAccount(MasterConnection(), band.kind, band.number->text(),
                          band.oldPassword->text());
        }))
        return;
    runGuarded(this, [&] { loadList(band); });
    band.change->setEnabled(false);
    band.remove->setEnabled(false);
}

void AdministratorMenuWindow::saveAdministrator()
{
    QGuiApplication::inputMethod()->commit();
    if (runGuarded(this, [&] {
            SaveAdministrator(MasterConnection(), m_administratorName->text(),
                              m_administratorPassword->text());
        }))
        Dialogs::instance().message(this, u"管理者名を変更しました。"_qs,
                                    Dialogs::Icon::Information);
}

} // namespace horunea
