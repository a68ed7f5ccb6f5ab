#pragma once

#include "app/Cli.h"
#include "store/DataFolder.h"

#include <QStringList>
#include <QTextStream>

namespace horunea::test {

// One run of the command-line verbs, its exit status and both streams.
struct CliRun
{
    int status;
    QString out, err;
};

// The arguments exactly as given.
inline CliRun runCliCaptured(const QStringList& args)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runCli(args, o, e);
    o.flush();
    e.flush();
    return {status, out, err};
}

// On the test's data folder.
inline CliRun runCliHere(const QStringList& args)
{
    return runCliCaptured(QStringList{u"--data-dir"_qs, DataFolder::path()} + args);
}

} // namespace horunea::test
