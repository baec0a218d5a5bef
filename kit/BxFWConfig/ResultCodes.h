// The result codes the component writes into "long* result". Callers judge a
// call by result & 0x1FFFF, so every failure code has a bit in those 17 bits.
#pragma once

namespace BxKit {

constexpr long kResultOk = 0;
constexpr long kResultWrongType = 0x101;   // an argument of the wrong VARIANT type
constexpr long kResultOutOfRange = 0x102;  // a value outside what the setting takes
constexpr long kResultNotFound = 0x103;    // an id or configuration the model does not hold
constexpr long kResultBadBag = 0x104;      // the result bag is missing or refused a property
constexpr long kResultStorage = 0x105;     // the state file could not be read or written
constexpr long kResultReadOnly = 0x106;    // a property that cannot be changed
constexpr long kResultInternal = 0x107;    // out of memory or another unexpected failure

}  // namespace BxKit
