#pragma once

#include <string>

namespace ms1 {

// What a write to disk came to: done, or why not.
struct WriteResult {
    bool ok = true;
    std::string reason;

    static WriteResult Done() { return {}; }
    static WriteResult Failed(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

}  // namespace ms1
