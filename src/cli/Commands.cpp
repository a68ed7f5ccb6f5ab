#include "cli/Commands.h"

#include <algorithm>

namespace horunea::cli {

namespace {

const char* const Header =
    "使い方: horunea-cli [--data-dir フォルダー] [--verbose] コマンド [引数]\n"
    "       --verbose: 失敗したとき、データベースの言葉と SQL も表示します\n"
    "       horunea-cli コマンド --help: そのコマンドの使い方だけを表示します\n"
    "\n"
    "コマンド:\n";

const char* const VerbHeader =
    "使い方: horunea-cli [--data-dir フォルダー] [--verbose] コマンド [引数]\n"
    "\n";

const char* const Notes =
    "\n"
    "  users, subjects, logs, repairs, repair-logs, search は --password パスワード を\n"
    "  取ります。一覧は設定の並べ替え順です。report も --password を取ります。\n"
    "  sql は customer:・repair: ではそのアカウントの、master やファイルでは管理者の\n"
    "  パスワードを --password で取ります。アカウントのファイルをパスで指定しても、\n"
    "  そのアカウントを使うときと同じく使用中の印を付けて開きます。\n"
    "  管理者の操作 (account の add attach rename passwd delete、admin set、backup、\n"
    "  restore、server export) は管理者のパスワードを --admin-password で取ります\n"
    "  (--admin-password-file、--admin-password - も同じ。管理者にパスワードがなければ\n"
    "  要りません)。\n"
    "  パスワードは引数に書くと ps で誰にでも見えます。--password-file ファイル (その\n"
    "  1 行目)、--password - (標準入力の 1 行目) でも渡せます (--old-password-file,\n"
    "  --new-password-file も同じ)。どれもなく、端末から動かしていれば、パスワードの\n"
    "  あるアカウントでは画面に出さずに尋ねます。admin login はパスワードを省くと尋ねます。\n"
    "  一覧のコマンドは --csv ファイル で、表示する代わりに CSV (シフトJIS、CR LF、\n"
    "  全項目を \" で囲む) に書き出します。シフトJIS にない文字があれば書きません。\n"
    "\n"
    "値の中のタブ・改行・\\ は \\t \\n \\\\ と表示します。Null は空です。\n";

// Every verb, in the order the usage text lists them.
constexpr Command AllCommands[] = {
    {u"init",
     "  init                 足りない main.mdb, kelvo.mdb, care.mdb を作成します\n"
     "                       (アカウントのファイルがあるのに main.mdb がなければ作りません)\n"
     "  init --templates     ひな形 kelvo.mdb, care.mdb だけを作り直します\n",
     commandInit},
    {u"where",
     "  where [--help-document]  データフォルダー (またはヘルプ文書) の場所を表示します\n"
     "                       --data-dir がなければ、書き込めるプログラムのフォルダー、\n"
     "                       インストールしたプログラムでは $XDG_DATA_HOME/horunea\n"
     "                       (~/.local/share/horunea)\n",
     commandWhere},
    {u"sql",
     "  sql 対象 \"SQL\" [--password パスワード]\n"
     "                       SQL を実行し、行をタブ区切りで表示します (; で区切った\n"
     "                       複数の文は一つのトランザクションで、全部か何もなしか)\n"
     "                       対象: master, customer:使用者名, repair:修理名,\n"
     "                             またはデータベースファイルのパス\n",
     commandSql},
    {u"users",
     "  users 使用者名 --row 行      その行のユーザー一覧 (行: あ か さ た な は ま や ら わ\n"
     "                               ABC その他)\n",
     commandUsers},
    {u"subjects",
     "  subjects 使用者名 [--state 続行|完了|全て] [--user ユーザーID]\n"
     "                               件名一覧 (既定は続行、--user で個々で表示)\n",
     commandSubjects},
    {u"logs", "  logs 使用者名 --subject 件名ID  その件名のログ一覧\n", commandLogs},
    {u"repairs",
     "  repairs 修理名 [--state 続行|完了|全て | --unpaid]\n"
     "                               修理一覧 (既定は続行) または未集金リスト\n",
     commandRepairs},
    {u"repair-logs", "  repair-logs 修理名 --repair 修理ID  その修理の修理ログ一覧\n",
     commandRepairLogs},
    {u"search",
     "  search 名前 --in 一覧 文字 [--or 文字2 | --and 文字2] [--exact]\n"
     "                               検索した一覧 (一覧: users subjects logs は使用者名、\n"
     "                               repairs unpaid repair-logs は修理名で)\n"
     "                               --exact で全角・半角、ひらがな・カタカナを区別します\n"
     "                               (英字の大文字・小文字はどちらでも一致します)\n",
     commandSearch},
    {u"account",
     "  account list         アカウントの一覧 (種類・番号・名前。パスワードは表示しません)\n"
     "  account add 種類 名前 [--password パスワード]\n"
     "                       アカウントを作成します (種類: customer または repair)\n"
     "  account attach 種類 名前 [--password パスワード]\n"
     "                       フォルダーにあるファイルをアカウントとして登録し直します\n"
     "  account rename 種類 旧名前 新名前 --old-password 旧 [--new-password 新]\n"
     "  account passwd 種類 名前 --old-password 旧 [--new-password 新]\n"
     "                       名前・パスワードを変更します (新パスワードなしはパスワードなし)\n"
     "  account delete 種類 名前 --old-password 旧 --yes\n"
     "                       アカウントとそのファイルを削除します\n"
     "                       旧パスワードが空なら、パスワードなしのアカウントに合います\n",
     commandAccount},
    {u"admin",
     "  admin login 管理者名 [パスワード]  管理者としてログインできるか (終了コード 0 か 1)\n"
     "  admin set 管理者名 [--password パスワード]  管理者名・パスワードを変更します\n",
     commandAdmin},
    {u"compact",
     "  compact 種類 名前    アカウントのファイルを最適化し、前後の大きさを表示します\n",
     commandCompact},
    {u"backup",
     "  backup フォルダー     main.mdb、ひな形、全アカウントのファイルを新しいフォルダーに\n"
     "                       写します (途中経過は標準エラーに)。写せなかったファイル (ない・\n"
     "                       使用中・壊れている) は標準エラーに名前を出し、終了コード 1\n",
     commandBackup},
    {u"restore",
     "  restore フォルダー    バックアップをデータフォルダーに戻します (ホルネアの起動中・\n"
     "                       使用中のアカウントがあるときは断ります。今のファイルは戻し\n"
     "                       終わるまで「復元前-日時」に取っておきます)\n",
     commandRestore},
    {u"report",
     "  report 種類 名前 [条件] --pdf ファイル\n"
     "                       帳票を印刷と同じページで PDF に書き出します。種類と条件:\n"
     "                         customer-list --row 行     顧客一覧 (使用者名で)\n"
     "                         user-sheet --user ユーザーID  ﾕｰｻﾞｰ情報\n"
     "                         subject-list [--state 続行|完了]  件名一覧\n"
     "                         repair-list [--state 続行|完了|全て]  修理一覧 (修理名で)\n"
     "                         unpaid-list                未集金リスト\n"
     "                         maker-list                 メーカー一覧\n"
     "                         repair-report --repair 修理ID  修理レポート\n",
     commandReport, true},
    {u"transfer",
     "  transfer customer 取込元 取込先 [--password 取込元のパスワード] [--keep-files "
     "フォルダー]\n"
     "                       使用者のユーザー・件名・ログを別の使用者に追加します\n"
     "  transfer repair 取込元 取込先 [--company] [--makers] [--repairs] [--password …]\n"
     "                       "
     "自社情報・メーカー・修理と修理ログを別の修理アカウントに追加します\n"
     "                       "
     "全部か何もなしか。途中経過は標準エラーに、追加した件数は標準出力に。\n"
     "                       --keep-files で転送ファイルをそのフォルダーに残します\n",
     commandTransfer},
    {u"convert",
     "  convert users フォルダー  前バージョンのユーザーを ユーザー.ssk "
     "の番号と共に表示します\n"
     "  convert customer フォルダー --user 番号 取込先 [--keep-files フォルダー]\n"
     "                       前バージョンのそのユーザーの顧客・件名・ログを使用者に追加します\n"
     "  convert repair フォルダー 取込先 [--keep-files フォルダー]\n"
     "                       前バージョンの修理と修理ログを修理アカウントに追加します\n"
     "                       "
     "フォルダーは前バージョンのプログラムのフォルダー。全部か何もなしか。\n"
     "                       --keep-files で中間ファイル (.csv) をそのフォルダーに残します\n",
     commandConvert},
    {u"server",
     "  server init          server.conf のサーバーにホルネアのデータ (管理者 admin と空の\n"
     "                       アカウント一覧) と店員のロール (データベース名_clerks) を\n"
     "                       作ります (import も店員のロールを作ります)\n"
     "  server import フォルダー  ファイルのデータフォルダー (main.mdb と全アカウント) を\n"
     "                       キーとパスワードもそのまま server.conf のサーバーに写します\n"
     "                       (全部か何もなしか。途中経過は標準エラーに)\n"
     "  server export フォルダー  サーバーのデータを、ファイルのデータフォルダーとして\n"
     "                       新しいフォルダーに書き出します\n",
     commandServer},
    {u"migrate",
     "  migrate フォルダー [--check] [--keep-orphans] [--skip-missing] [--ignore-locks]\n"
     "                       Windows版のデータ (main.mdb, kelvo.mdb, care.mdb, kelvo, care\n"
     "                       の Access ファイル) をデータフォルダーに移します。移し先は\n"
     "                       新しいか空のフォルダー (server.conf だけならそのサーバー)、\n"
     "                       または main.mdb のあるデータフォルダー (Windows版のフォルダー\n"
     "                       そのもの、アカウントのないもの): そこでは元のファイルを\n"
     "                       Windows版-日時、移行前-日時 のフォルダーに残します。\n"
     "                       全部か何もなしか。Windows版のファイルは読むだけです。\n"
     "                       --check は何も書かずに、ファイルごとの表の行数と問題を表示\n"
     "                       (問題で移せなければ終了コード 1)。--keep-orphans は親のない\n"
     "                       件名・ログをそのまま、--skip-missing はファイルのないアカウント\n"
     "                       とアカウントのないファイルを残して移し、--ignore-locks は\n"
     "                       使用中の印 (.ldb) があっても移します\n",
     commandMigrate},
};

} // namespace

std::span<const Command> commands()
{
    return AllCommands;
}

const Command* findCommand(const QString& name)
{
    const auto all = commands();
    const auto found = std::find_if(all.begin(), all.end(),
                                    [&](const Command& c) { return name == QStringView(c.name); });
    return found == all.end() ? nullptr : &*found;
}

QString usageText()
{
    QString text = QString::fromUtf8(Header);
    for (const Command& c : commands())
        text += QString::fromUtf8(c.usage);
    return text + QString::fromUtf8(Notes);
}

QString usageText(const Command& command)
{
    return QString::fromUtf8(VerbHeader) + QString::fromUtf8(command.usage) +
           QString::fromUtf8(Notes);
}

} // namespace horunea::cli
