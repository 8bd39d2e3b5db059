// The udev rule gives the logged-in user the hidraw nodes of the mouse's three devices and of
// nothing else. udev itself needs real devices to test a rule, so the rule's lines are read
// here and matched with udev's own glob rules (fnmatch) against synthetic devices.
#include <fnmatch.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Rule {
    std::string subsystem;
    std::string kernels;
    bool uaccess = false;
};

// Every rule line: SUBSYSTEM=="…", KERNELS=="…", TAG+="uaccess", nothing else.
std::vector<Rule> ReadRules(std::vector<std::string>& unexpected) {
    std::ifstream in(MS1_UDEV_RULE);
    std::vector<Rule> rules;
    const std::regex assignment(R"re(\s*([A-Z]+)\s*(==|\+=)\s*"([^"]*)"\s*)re");
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        Rule rule;
        std::size_t start = 0;
        while (start <= line.size()) {
            const std::size_t comma = line.find(',', start);
            const std::string part = line.substr(start, comma - start);
            std::smatch m;
            if (!std::regex_match(part, m, assignment)) {
                unexpected.push_back(part);
            } else if (m[1] == "SUBSYSTEM" && m[2] == "==") {
                rule.subsystem = m[3];
            } else if (m[1] == "KERNELS" && m[2] == "==") {
                rule.kernels = m[3];
            } else if (m[1] == "TAG" && m[2] == "+=" && m[3] == "uaccess") {
                rule.uaccess = true;
            } else {
                unexpected.push_back(part);
            }
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        rules.push_back(rule);
    }
    return rules;
}

struct Device {
    const char* subsystem;
    const char* parent;  // the HID device above the node: bus:vendor:product.instance
    bool granted;
};

TEST(UdevRule, GrantsTheMousesThreeDevicesAndNothingElse) {
    std::vector<std::string> unexpected;
    const std::vector<Rule> rules = ReadRules(unexpected);
    EXPECT_TRUE(unexpected.empty()) << unexpected.front();
    ASSERT_EQ(rules.size(), 3u);
    const Device devices[] = {
        {"hidraw", "0003:1D57:A001.0004", true},   // the receiver
        {"hidraw", "0003:1D57:A011.0010", true},   // the wired mouse
        {"hidraw", "0005:045E:A011.0002", true},   // the mouse over Bluetooth
        {"hidraw", "0003:1D57:A002.0004", false},  // another product of the maker
        {"hidraw", "0003:045E:A011.0001", false},  // the Bluetooth ids on USB
        {"hidraw", "0005:1D57:A001.0001", false},  // the receiver's ids over Bluetooth
        {"hidraw", "0003:046D:C52B.0003", false},  // somebody else's receiver
        {"input", "0003:1D57:A001.0004", false},   // not the hidraw node
    };
    for (const Device& device : devices) {
        bool granted = false;
        for (const Rule& rule : rules) {
            granted |= rule.uaccess && rule.subsystem == device.subsystem &&
                       fnmatch(rule.kernels.c_str(), device.parent, 0) == 0;
        }
        EXPECT_EQ(granted, device.granted) << device.subsystem << " " << device.parent;
    }
}

}  // namespace
