#pragma once

#include <string>

#include "core/Result.h"

namespace ms1::test {

// A result as one text a table can hold: "done", or the reason it failed.
inline std::string Said(const Result& result) {
    return result ? "done" : result.reason();
}

}  // namespace ms1::test
