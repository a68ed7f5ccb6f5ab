#pragma once

#include "import/Transfers.h"

#include <QStringList>

namespace horunea {

// The conversion of the previous version's files (.ssk) below its program
// folder: the customers of one old user into an operator's database, and the
// repairs into a repair account's. Each goes through intermediate files
// (ﾕｰｻﾞｰ.csv, 件名.csv, ログ.csv; 修理.csv, 修理ログ.csv) in a private folder
// removed in every case, unless keepFolder names a folder to keep them in.
//
// All or nothing: every old file must be there and whole; a missing or
// unreadable one ("ファイルが読めません: …") or a record with too few or too
// many values (its file and line are named) stops the conversion before
// anything is added, and the loaders add everything in one transaction.

// The previous version's users, from ユーザー.ssk in the folder, in file
// order: the user at position n (from 1) keeps its data in the folder n.
QStringList PreviousVersionUsers(const QString& folder);

TransferResult ConvertPreviousCustomerData(const QString& folder, int user,
                                           const QString& destination,
                                           const ImportProgress& progress = {},
                                           const QString& keepFolder = QString());
// Adds the intermediate files in `files` to the operator's database; the
// numbers are one more than the users, subjects and logs written.
TransferResult LoadConvertedCustomerData(const QString& files, const QString& destination,
                                         qint64 nextUser, qint64 nextSubject, qint64 nextLog,
                                         const ImportProgress& progress = {});

TransferResult ConvertPreviousRepairData(const QString& folder, const QString& destination,
                                         const ImportProgress& progress = {},
                                         const QString& keepFolder = QString());
TransferResult LoadConvertedRepairData(const QString& files, const QString& destination,
                                       qint64 nextRepair, qint64 nextLog,
                                       const ImportProgress& progress = {});

} // namespace horunea
