#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace ms1 {

// An integer stored as little-endian bytes, whatever the host's byte order. Alignment 1 and
// no padding, so records built from these have exactly the layout of the files and reports.
template <typename T>
class LittleEndian {
    static_assert(std::is_integral_v<T>);
    using Unsigned = std::make_unsigned_t<T>;

  public:
    constexpr T get() const {
        Unsigned value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            value = static_cast<Unsigned>(value | (static_cast<Unsigned>(bytes_[i]) << (8 * i)));
        }
        return static_cast<T>(value);
    }
    constexpr void set(T value) {
        auto bits = static_cast<Unsigned>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            bytes_[i] = static_cast<std::uint8_t>(bits >> (8 * i));
        }
    }
    constexpr operator T() const { return get(); }
    constexpr LittleEndian& operator=(T value) {
        set(value);
        return *this;
    }

  private:
    std::uint8_t bytes_[sizeof(T)];
};

using le_u16 = LittleEndian<std::uint16_t>;
using le_i32 = LittleEndian<std::int32_t>;

static_assert(sizeof(le_u16) == 2 && alignof(le_u16) == 1);
static_assert(sizeof(le_i32) == 4 && alignof(le_i32) == 1);
static_assert(std::is_trivially_copyable_v<le_i32> && std::is_standard_layout_v<le_i32>);

}  // namespace ms1
