#pragma once

// The users the list benchmarks run on: half of them under one row (か),
// the rest spread over the others, which is the worst case for a single
// row; the same users on every run.
#include "store/Database.h"

#include <QRandomGenerator>

namespace horunea::bench {

inline void addSampleUsers(Database& db, int count)
{
    Transaction t(db);
    const QString firsts = u"ｱｲｳｴｵｻｼﾀﾅﾊﾏﾔﾗﾜｦ1Aあ"_qs;
    QRandomGenerator random(42);
    for (int i = 0; i < count; ++i) {
        const QChar first = (i % 2 == 0) ? u'ｶ' : firsts[random.bounded(int(firsts.size()))];
        db.insert(u"ユーザー"_qs,
                  {{u"表示ふりがな"_qs, QString(QString(first) + u"ﾃｽﾄ"_qs + QString::number(i))},
                   {u"表示名"_qs, QString(u"テスト利用者"_qs + QString::number(i))},
                   {u"自宅ＴＥＬ"_qs, QString(u"03-0000-"_qs + QString::number(i % 10000))},
                   {u"会社ＴＥＬ"_qs, QString()},
                   {u"E-MAIL"_qs, QString(u"user"_qs + QString::number(i) + u"@example.jp"_qs)}});
    }
    t.commit();
}

} // namespace horunea::bench
