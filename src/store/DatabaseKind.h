#pragma once

namespace horunea {

// What a database holds: the master tables, or one account's.
enum class DatabaseKind { Master, Customer, Repair };

} // namespace horunea
