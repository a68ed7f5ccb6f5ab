#pragma once

namespace horunea {

// The record kinds of the record editor.
enum class EditKind { User = 1, Subject = 2, Log = 3, Repair = 4, RepairLog = 5 };

// What the editor is asked to do: the record kind and whether it adds one.
struct EditMode
{
    horunea::EditKind EditKind = horunea::EditKind::User;
    bool EditIsNew = true;

    bool isCustomerKind() const { return int(EditKind) <= int(horunea::EditKind::Log); }
};

} // namespace horunea
