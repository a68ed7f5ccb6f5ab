#pragma once

#include <optional>

class QKeyEvent;

namespace horunea {

// A function key as the data windows read it: F1 … F12, and whether Shift
// alone was held. Any other modifier state counts as the plain key.
struct FunctionKey
{
    int number;
    bool shift;
};

std::optional<FunctionKey> functionKeyOf(const QKeyEvent* event);

} // namespace horunea
