#pragma once

#include <string>

#include "protocol/ApplyEngine.h"

namespace ms1::cli {

// The line ms1ctl apply prints for one report handed to the link, e.g.
// "0x15 confirmed after 1 attempt(s)".
std::string ReportLine(const SentReport& sent);

}  // namespace ms1::cli
