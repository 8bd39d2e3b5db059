#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace ms1 {

// The name of process `pid` as the kernel keeps it (/proc/PID/comm, without its line end);
// empty when there is no such process or the pid is 0. `procRoot` is where /proc is.
std::string ProcessName(std::uint32_t pid, const std::filesystem::path& procRoot = "/proc");

}  // namespace ms1
