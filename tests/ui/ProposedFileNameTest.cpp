#include "ui/ProposedFileName.h"

#include <gtest/gtest.h>

namespace ms1 {
namespace {

std::string Narrow(const std::u16string& text) {
    std::string narrow;
    for (char16_t c : text)
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '#');
    return narrow;
}

TEST(ProposedFileName, TheRecordsNameWithTheExtensionAndNothingAFileCannotHold) {
    struct Row {
        std::u16string name;
        std::u16string extension;
        std::u16string expected;
    };
    const Row rows[] = {
        {u"Shooter", u"pro", u"Shooter.pro"},
        {u"Burst", u"macro", u"Burst.macro"},
        {u"Profile 2", u"pro", u"Profile 2.pro"},
        {u"a/b\\c:d*e?f\"g<h>i|j", u"pro", u"a_b_c_d_e_f_g_h_i_j.pro"},
        {u"  ..hidden.  ", u"pro", u"hidden.pro"},
        {u"...", u"pro", u"unnamed.pro"},
        {u"", u"macro", u"unnamed.macro"},
        {u"R\u00e9glage \u5c04\u51fb", u"pro", u"R\u00e9glage \u5c04\u51fb.pro"},
        {std::u16string(u"x\0y", 3), u"pro", u"x_y.pro"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ProposedFileName(row.name, row.extension), row.expected) << Narrow(row.name);
}

}  // namespace
}  // namespace ms1
