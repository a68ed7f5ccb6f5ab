#include "app/Cli.h"

#include "admin/WindowsMigration.h"

#include "admin/AccountRecovery.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "import/TransferSupport.h"
#include "store/DataFolder.h"
#include "store/Failure.h"
#include "store/Store.h"

namespace horunea {

using namespace cli;

bool cliNeedsPainting(const QStringList& arguments)
{
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--data-dir") {
            ++i;
            continue;
        }
        if (!arguments[i].startsWith(u"--")) {
            const Command* verb = findCommand(arguments[i]);
            return verb && verb->paints;
        }
    }
    return false;
}

int runCli(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    bool verbose = false;
    try {
        while (!args.isEmpty() && args.first().startsWith(u"--")) {
            const QString option = args.takeFirst();
            if (option == u"--data-dir") {
                if (args.isEmpty())
                    throw UsageError(u"--data-dir にはフォルダーを指定してください。"_qs);
                DataFolder::set(args.takeFirst());
            } else if (option == u"--verbose") {
                verbose = true;
            } else if (option == u"--help") {
                out << usageText();
                return 0;
            } else {
                throw UsageError(u"知らないオプションです: "_qs + option);
            }
        }
        if (args.isEmpty())
            throw UsageError(u"コマンドを指定してください。"_qs);
        const QString command = args.takeFirst();
        const Command* verb = findCommand(command);
        if (!verb)
            throw UsageError(u"知らないコマンドです: "_qs + command);
        if (args.value(0) == u"--help") {
            out << usageText(*verb);
            out.flush();
            return 0;
        }
        Store::followDataFolder();
        DataFolder::protect();
        transfer::RemoveStaleTransferFolders();
        try {
            FinishDataFolderMove(DataFolder::path());
            RecoverAccountOperation();
        } catch (const Failure&) {
            // main.mdb cannot be read: the verb says why; account verbs recover first.
        }
        Invocation call{args, out, err};
        setPromptStream(&err);
        const int status = verb->run(call);
        out.flush();
        return status;
    } catch (const UsageError& e) {
        err << e.text << "\n\n" << usageText();
        err.flush();
        return 2;
    } catch (const RefusedError& e) {
        out.flush();
        err << e.text << '\n';
        err.flush();
        return 1;
    } catch (const Failure& e) {
        out.flush();
        err << e.message() << '\n';
        if (verbose && !e.detail().isEmpty())
            err << u"詳細: "_qs << e.detail() << '\n';
        err.flush();
        return 1;
    }
}

} // namespace horunea
