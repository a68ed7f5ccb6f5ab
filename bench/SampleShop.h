#pragma once

// The rows of the store benchmarks' data set: user i, subject j, log k,
// repair r and repair log k, the same on every run and for each side of a
// comparison (the store's path and its floor).
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace horunea::bench {

inline const QStringList& readings()
{
    static const QStringList r{u"ｶﾄｳ"_qs, u"ｱｵｷ"_qs,  u"ｻﾄｳ"_qs,    u"ﾀﾅｶ"_qs, u"ﾅｶﾑﾗ"_qs,
                               u"ﾊﾔｼ"_qs, u"ﾏﾂﾓﾄ"_qs, u"ﾔﾏﾀﾞ"_qs,   u"ﾗｲ"_qs,  u"ﾜﾀﾅﾍﾞ"_qs,
                               u"ABC"_qs, u"3M"_qs,   u"あおき"_qs, u"ｶﾜｲ"_qs};
    return r;
}

// The values of user i, subject j, log k: the same for the store's write
// path and the floor's.
inline QVariantList userValues(int i)
{
    const QString no = QString::number(i);
    return {QString(readings()[i % readings().size()] + no),
            QString(u"利用者"_qs + no),
            QString(u"03-1234-"_qs + no),
            QString(u"03-5555-"_qs + no),
            QString(u"user"_qs + no + u"@example.jp"_qs),
            QString(u"東京都港区芝"_qs + no)};
}
inline const char* const UserColumns[] = {"表示ふりがな", "表示名", "自宅ＴＥＬ",
                                          "会社ＴＥＬ",   "E-MAIL", "自宅住所"};

inline QVariantList subjectValues(int j, int users)
{
    return {qlonglong(j % users + 1), u"2003/08/19(火)"_qs,
            QString(u"件名"_qs + QString::number(j)), j % 4 == 0 ? u"完了"_qs : u"続行"_qs};
}
inline const char* const SubjectColumns[] = {"ユーザーID", "登録日", "件名", "判定"};

inline QVariantList logValues(int k, int subjects, int users)
{
    const int subject = k % subjects + 1;
    return {qlonglong(subject), qlonglong((subject - 1) % users + 1), u"2003/08/20(水)"_qs,
            u"山田"_qs, QString(u"訪問して見積を説明した。"_qs + QString::number(k))};
}
inline const char* const LogColumns[] = {"件名ID", "ユーザーID", "登録日", "記録者", "ログ"};

inline QVariantList repairValues(int r)
{
    const QString no = QString::number(r);
    return {u"続行"_qs,
            u"2003/08/19(火)"_qs,
            QString(u"お客様"_qs + no),
            QString(u"会社"_qs + no),
            u"キヤノン"_qs,
            QString(u"型番"_qs + no),
            u"未入"_qs};
}
inline const char* const RepairColumns[] = {"判定",       "受付日", "お客様名", "会社名",
                                            "メーカー名", "型番",   "入金"};

inline QVariantList repairLogValues(int k, int repairs)
{
    return {qlonglong(k % repairs + 1), u"2003/08/20(水)"_qs, u"山田"_qs,
            QString(u"部品を発注した。"_qs + QString::number(k))};
}
inline const char* const RepairLogColumns[] = {"修理ID", "記録日", "記録者", "ログ"};

template <size_t N> QStringList names(const char* const (&columns)[N])
{
    QStringList out;
    for (const char* c : columns)
        out << QString::fromUtf8(c);
    return out;
}

} // namespace horunea::bench
