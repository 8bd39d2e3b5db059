#include "core/Result.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ms1 {
namespace {

// Done, failed and handed-on results, as a caller reads them: whether it was done, why not.
TEST(Result, SaysWhetherItWasDoneAndWhyNot) {
    struct Row {
        const char* what;
        Result result;
        bool ok;
        std::string reason;
    };
    const Row rows[] = {
        {"made by default", Result(), true, ""},
        {"done", Result::Done(), true, ""},
        {"failed", Result::Failed("f: cannot be written"), false, "f: cannot be written"},
        {"failed without words", Result::Failed(""), false, ""},
        {"a value's result without its value", ResultOf<int>::Done(7), true, ""},
        {"a value's failure without its value", ResultOf<int>::Failed("no receiver"), false,
         "no receiver"},
        {"a failure handed on", ResultOf<std::vector<int>>::Failed(Result::Failed("3 (refused)")),
         false, "3 (refused)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const Result copy = row.result;
        EXPECT_EQ(copy.ok(), row.ok);
        EXPECT_EQ(static_cast<bool>(copy), row.ok);
        EXPECT_EQ(copy.reason(), row.reason);
    }
}

TEST(ResultOf, CarriesItsValueOnlyWhenDone) {
    const auto done = ResultOf<std::vector<int>>::Done({1, 2, 3});
    ASSERT_TRUE(done);
    EXPECT_EQ(done.value(), (std::vector<int>{1, 2, 3}));
    const auto failed = ResultOf<std::vector<int>>::Failed("gone");
    ASSERT_FALSE(failed);
    EXPECT_TRUE(failed.value().empty());
    EXPECT_EQ(failed.reason(), "gone");
    // A temporary gives its value away rather than a reference into itself.
    std::vector<int> moved = ResultOf<std::vector<int>>::Done({4}).value();
    EXPECT_EQ(moved, std::vector<int>{4});
}

}  // namespace
}  // namespace ms1
