#pragma once

#include "store/Accounts.h"

#include "store/Database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

#include <initializer_list>
#include <memory>
#include <string_view>

namespace horunea {

class Failure;
class TransferReader;
class TransferValues;

// The parts the transfers and the conversions of the previous version share.
namespace transfer {

// The columns of ユーザー and of 修理, in the order of their transfer lines.
const QStringList& userFields();
const QStringList& repairFields();

// The folder of the transfer files: a private one made for the run and
// removed with it, or the one the caller keeps.
// Removes the private folders of transfers and conversions whose process is
// gone (killed mid-work: they hold customer data in plain text). Returns how
// many were removed. Run at the start of either program.
int RemoveStaleTransferFolders();

class TransferFolder
{
public:
    explicit TransferFolder(const QString& keep);
    // A file of the run; one left there by an earlier kept run is replaced.
    QString file(const QString& name) const;
    QString path() const { return m_path; }

private:
    std::unique_ptr<QTemporaryDir> m_temporary;
    QString m_path;
};

// The database file of a listed account chosen as a source or destination,
// which must exist (on the server: its schema); "選択して下さい。" when none
// is chosen.
QString accountFile(AccountKind kind, const QString& name);

// Adds the records one after the other and checks that the destination
// gave them consecutive keys, which the translation of parents relies on.
class KeyRun
{
public:
    void added(qint64 key);
    // The destination key of running number k (from 1 to count()).
    qint64 key(qint64 running) const;
    qint64 count() const { return m_count; }

private:
    qint64 m_first = 0, m_count = 0;
};

// A running number of a transfer file.
qint64 number(std::string_view text);
// A key as the source's cells give it: 0 for none.
qint64 cellNumber(std::string_view text);
// The next line of a transfer file, which must hold `count` values.
bool nextLine(TransferReader& in, TransferValues* values, int count);
// A row to add: the `first` values, then values `from` … of a line as text.
using RowValues = QVarLengthArray<BulkInsert::Value, 32>;
RowValues lineValues(const TransferValues& v, int from, int count,
                     std::initializer_list<BulkInsert::Value> first = {});
// Rethrows a failure as "取り込みに失敗しました。" with its reason.
[[noreturn]] void failed(const Failure& e);

} // namespace transfer
} // namespace horunea
