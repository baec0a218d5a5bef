// The names of the result properties the firewall component writes into a
// result bag, by index. The index is also the property's dispatch identifier.
#pragma once

#include <cstddef>

namespace Brenix {

constexpr size_t kPropertyNameCount = 31;

// The table, read-only for the life of the process.
const wchar_t* const* propertyNames() noexcept;

// The name at an index; null for an index outside the table.
const wchar_t* propertyName(size_t index) noexcept;

}  // namespace Brenix
