#include "store/SessionState.h"

namespace horunea {

SessionState& SessionState::instance()
{
    static SessionState state;
    return state;
}

} // namespace horunea
