#pragma once

namespace horunea {

// The record kinds of the record editor.
enum class RecordKind { User = 1, Subject = 2, Log = 3, Repair = 4, RepairLog = 5 };

// What the editor is asked to do: the record kind and whether it adds one.
struct EditMode
{
    RecordKind EditKind = RecordKind::User;
    bool EditIsNew = true;

    bool isCustomerKind() const { return int(EditKind) <= int(RecordKind::Log); }
};

} // namespace horunea
