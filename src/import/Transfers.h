#pragma once

#include <QString>

#include <functional>

namespace horunea {

// How a transfer reports: ShowImportProgress (a text, done, total) and
// ShowImportStatus (a text alone).
struct ImportProgress
{
    std::function<void(const QString& text, qint64 done, qint64 total)> progress;
    std::function<void(const QString& text)> status;

    void show(const QString& text, qint64 done, qint64 total) const
    {
        if (progress)
            progress(text, done, total);
    }
    void say(const QString& text) const
    {
        if (status)
            status(text);
    }
};

// "ﾕｰｻﾞｰ情報追加12%完了": the status text with its percentage.
QString importProgressText(const QString& text, qint64 done, qint64 total);
int importPercent(qint64 done, qint64 total);

// What a transfer added to the destination, and what it could not place.
struct TransferResult
{
    qint64 users = 0, subjects = 0, logs = 0;
    qint64 company = 0, makers = 0, repairs = 0, repairLogs = 0;
    // Subjects without their user, logs without their subject (or whose
    // subject belongs to another user), repair logs without their repair.
    qint64 orphans = 0;
    bool repair = false;          // a repair transfer: its groups are summed up
    bool companyAndMakers = true; // a repair summary names 自社 and メーカー
    // "ユーザー 3 件、件名 5 件、ログ 9 件を追加しました。"
    QString summary() const;
};

struct RepairParts
{
    bool company = false, makers = false, repairs = false;
};

// Copies every user, subject and log of one operator's customer database to
// another's, through the transfer files ﾕｰｻﾞｰ.dat, 件名.dat and ログ.dat. The
// destination assigns the keys; parents are translated to the new keys.
// All or nothing: one transaction in the destination, committed after the
// last record; on failure Failure says why and the destination is as it
// was. The files go into a private folder made for the run and are removed
// in every case, unless keepFolder names a folder to write them to.
TransferResult TransferCustomerData(const QString& source, const QString& destination,
                                    const ImportProgress& progress = {},
                                    const QString& keepFolder = QString());
// The same for repair accounts: the own-company row (replaced), the makers
// and the repairs with their repair logs, each group when asked for.
TransferResult TransferRepairData(const QString& source, const QString& destination,
                                  RepairParts parts, const ImportProgress& progress = {},
                                  const QString& keepFolder = QString());

} // namespace horunea
