#include "transport/UdevIds.h"

#include <cstdlib>
#include <cstring>

namespace ms1 {
namespace {

// A hexadecimal field of at least one digit that ends at `stop`; false otherwise.
bool HexField(const char* text, char stop, unsigned long& value, const char** end) {
    char* after = nullptr;
    value = std::strtoul(text, &after, 16);
    if (after == text || *after != stop || value > 0xFFFF) {
        return false;
    }
    *end = after;
    return true;
}

}  // namespace

bool IdsFromUsbProduct(const char* product, std::uint16_t& vendorId, std::uint16_t& productId) {
    if (product == nullptr) {
        return false;
    }
    unsigned long vid = 0;
    unsigned long pid = 0;
    const char* end = nullptr;
    if (!HexField(product, '/', vid, &end) || !HexField(end + 1, '/', pid, &end)) {
        return false;
    }
    vendorId = static_cast<std::uint16_t>(vid);
    productId = static_cast<std::uint16_t>(pid);
    return true;
}

bool IdsFromHidId(const char* hidId, std::uint16_t& vendorId, std::uint16_t& productId) {
    if (hidId == nullptr) {
        return false;
    }
    const char* first = std::strchr(hidId, ':');
    if (first == nullptr) {
        return false;
    }
    unsigned long vid = 0;
    unsigned long pid = 0;
    const char* end = nullptr;
    if (!HexField(first + 1, ':', vid, &end) || !HexField(end + 1, '\0', pid, &end)) {
        return false;
    }
    vendorId = static_cast<std::uint16_t>(vid);
    productId = static_cast<std::uint16_t>(pid);
    return true;
}

}  // namespace ms1
