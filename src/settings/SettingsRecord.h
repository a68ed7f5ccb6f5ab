#pragma once

#include "store/Accounts.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace horunea {

class Database;

// The settings row of an account database as the settings window shows it.
struct SettingsRecord
{
    // 項目01 … (five for a customer database, three for a repair one); Null
    // as empty.
    QStringList captions;
    // 並べ01 … 並べ06: user (repair) key, its direction, subject (unpaid)
    // key, its direction, log key, its direction. Always a valid entry of its
    // list: a stored value that names none shows entry 0.
    std::array<int, 6> sortPositions{};
    // 上, 左, 右, 下 in twips, as text (Null as empty).
    std::array<QString, 4> margins;
};

// The entries of the key lists of the three sentences of 並べ替え, and of
// every direction list ("昇順", "降順").
std::array<QStringList, 3> customerSortKeyChoices();
std::array<QStringList, 3> repairSortKeyChoices();
QStringList sortDirectionChoices();

// "上", "左", "右", "下": the margin fields, in the order they are written.
QStringList marginFields();
// The largest margin the scroll bars reach and the boxes take.
constexpr int MaxMargin = 9999;
// The margin a box holds: a whole number 0 to 9999 (full-width digits and
// surrounding blanks allowed); nullopt for anything else.
std::optional<int> marginValue(const QString& box);
// Why the boxes cannot be stored ("余白「右」には …"), or empty when every
// box is empty or a whole number 0 to 9999.
QString marginProblem(const std::array<QString, 4>& boxes);

SettingsRecord LoadCustomerSettings(Database& db);
SettingsRecord LoadRepairSettings(Database& db);

// Each stores only its own group. A caption or margin box left empty keeps
// the stored value. The margins are checked first: on a problem Failure
// says which box, and nothing is stored.
void SaveCustomerFreeFields(Database& db, const QStringList& boxes);
void SaveCustomerSortOrder(Database& db, const std::array<int, 6>& positions);
void SaveCustomerMargins(Database& db, const std::array<QString, 4>& boxes);
void SaveRepairFreeFields(Database& db, const QStringList& boxes);
void SaveRepairSortOrder(Database& db, const std::array<int, 6>& positions);
void SaveRepairMargins(Database& db, const std::array<QString, 4>& boxes);

// The same for either kind of account database.
SettingsRecord LoadSettings(Database& db, AccountKind kind);
void SaveFreeFields(Database& db, AccountKind kind, const QStringList& boxes);
void SaveSortOrder(Database& db, AccountKind kind, const std::array<int, 6>& positions);
void SaveMargins(Database& db, AccountKind kind, const std::array<QString, 4>& boxes);

} // namespace horunea
