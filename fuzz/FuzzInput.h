#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

namespace ms1::fuzz {

// Takes a fuzz input apart from the front. Past the end every read gives zeros, so that
// any input, however short, is a complete run.
class InputReader {
  public:
    InputReader(const std::uint8_t* data, std::size_t size) : rest_(data, size) {}

    bool Empty() const { return rest_.empty(); }
    std::size_t Remaining() const { return rest_.size(); }

    std::uint8_t Byte() {
        if (rest_.empty())
            return 0;
        const std::uint8_t byte = rest_.front();
        rest_ = rest_.subspan(1);
        return byte;
    }
    std::uint16_t U16() {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }
    std::uint32_t U32() {
        const std::uint32_t low = U16();
        return low | (std::uint32_t{U16()} << 16);
    }
    // Up to `count` bytes, fewer at the end of the input.
    std::span<const std::uint8_t> Take(std::size_t count) {
        const std::size_t n = std::min(count, rest_.size());
        auto taken = rest_.first(n);
        rest_ = rest_.subspan(n);
        return taken;
    }
    // Exactly `count` bytes, padded with zeros at the end of the input.
    std::vector<std::uint8_t> TakePadded(std::size_t count) {
        auto taken = Take(count);
        std::vector<std::uint8_t> bytes(taken.begin(), taken.end());
        bytes.resize(count, 0);
        return bytes;
    }
    std::span<const std::uint8_t> Rest() { return Take(rest_.size()); }

  private:
    std::span<const std::uint8_t> rest_;
};

// A rule the code under test must keep whatever its input: a broken one is a finding, and
// the fuzzer keeps the input that broke it.
#define MS1_FUZZ_CHECK(condition)                                                        \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                \
        }                                                                                \
    } while (false)

}  // namespace ms1::fuzz
