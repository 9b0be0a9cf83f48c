// Error codes that the emulated calls give beyond those the seam's callers
// name in platform/types.h (winerror.h numbers).
#pragma once

namespace platform::emulated {

constexpr long kErrorWriteFault = 29;
constexpr long kErrorReadFault = 30;
constexpr long kErrorFileExists = 80;
constexpr long kErrorInvalidName = 123;
constexpr long kErrorBadPathname = 161;
constexpr long kErrorNoData = 232;
constexpr long kErrorKeyDeleted = 1018;
constexpr long kErrorNoneMapped = 1332;

} // namespace platform::emulated
