// Module status codes as the host prints them: "NAME (0xXXXXXXXX)".
#pragma once

#include <cstdint>
#include <string>

namespace Kiln {

std::wstring statusText(uint32_t status);

}  // namespace Kiln
