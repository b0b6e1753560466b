#include "error_mapping.h"

#include "../platform.h"

namespace platform::windows {
namespace {

// The system's numbering of the errors the table treats specially.
constexpr std::uint32_t kLastDiskCode = 18;      // 1 to 18 keep their numbers
constexpr std::uint32_t kFirstDeviceCode = 19;   // write protect ...
constexpr std::uint32_t kLastDeviceCode = 31;    // ... general failure
constexpr std::uint32_t kDeviceCodeShift = 131;  // 19 to 31 become 150 to 162
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kDiskFull = 112;
constexpr std::uint32_t kDirectoryNotEmpty = 145;
constexpr std::uint32_t kAlreadyExists = 183;
constexpr std::uint32_t kFileNameTooLong = 206;

using errors::kAccessDenied;
using errors::kGeneralFailure;
using errors::kPathNotFound;
constexpr std::uint32_t kLargestNumber = 0xFFFF;

}  // namespace

std::uint16_t MapSystemError(std::uint32_t code) {
    if (code == 0 || code > kLargestNumber) return kGeneralFailure;
    if (code <= kLastDiskCode) return static_cast<std::uint16_t>(code);
    if (code >= kFirstDeviceCode && code <= kLastDeviceCode) return static_cast<std::uint16_t>(code + kDeviceCodeShift);
    switch (code) {
        case kSharingViolation:
        case kDirectoryNotEmpty:
        case kAlreadyExists: return kAccessDenied;
        case kDiskFull: return errors::kDiskFull;
        case kFileNameTooLong: return kPathNotFound;
        default: return static_cast<std::uint16_t>(code);
    }
}

}  // namespace platform::windows
