#pragma once

#include <QString>

#include <span>

namespace horunea::cli {

struct Invocation;

// One verb of horunea-cli: its name, its lines of the usage text (from
// which --help and the manual page are made) and what it does.
struct Command
{
    const char16_t* name;
    const char* usage;
    int (*run)(Invocation& call);
    bool paints = false; // writes a report, and so needs a QGuiApplication
};

// Every verb, in the order the usage text lists them.
std::span<const Command> commands();
const Command* findCommand(const QString& name);
// The whole usage text: the program's line, every verb's lines, the notes.
QString usageText();
// What `horunea-cli VERB --help` shows: the program's line, the verb's lines
// and the notes.
QString usageText(const Command& command);

int commandInit(Invocation& call);
int commandWhere(Invocation& call);
int commandSql(Invocation& call);
int commandUsers(Invocation& call);
int commandSubjects(Invocation& call);
int commandLogs(Invocation& call);
int commandRepairs(Invocation& call);
int commandRepairLogs(Invocation& call);
int commandSearch(Invocation& call);
int commandAccount(Invocation& call);
int commandAdmin(Invocation& call);
int commandCompact(Invocation& call);
int commandBackup(Invocation& call);
int commandRestore(Invocation& call);
int commandReport(Invocation& call);
int commandTransfer(Invocation& call);
int commandConvert(Invocation& call);
int commandServer(Invocation& call);
int commandMigrate(Invocation& call);

} // namespace horunea::cli
