#pragma once

#include <QStringList>
#include <QTextStream>

namespace horunea {

// horunea-cli: the core operations without a window. Rows go to out as
// tab-separated text with a header line; errors go to err. Returns the exit
// status.
int runCli(const QStringList& arguments, QTextStream& out, QTextStream& err);

// Whether the verb paints (a report to PDF) and so needs a QGuiApplication.
bool cliNeedsPainting(const QStringList& arguments);

} // namespace horunea
