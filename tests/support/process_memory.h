#pragma once

// Memory of a running process, as Linux reports it in /proc.

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>

namespace corvane::test {

// A field of /proc/PROCESS/status ("self" or a process id), in KiB; -1 where
// there is none.
inline long statusKiB(const std::string& field, const std::string& process = "self")
{
    std::ifstream status("/proc/" + process + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ':'))
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

// How far the resident size peaked above where it stood before `work`, in
// KiB. The peak is reset first (clear_refs 5), so that earlier work does not
// hide growth; -1 where the kernel cannot do either.
inline long peakGrowthKiB(const std::function<void()>& work)
{
    std::ofstream reset("/proc/self/clear_refs");
    const bool wasReset = static_cast<bool>(reset << "5" << std::flush);
    const long before = statusKiB("VmRSS");
    work();
    const long peak = statusKiB("VmHWM");
    return !wasReset || before < 0 || peak < 0 ? -1 : std::max(0L, peak - before);
}

} // namespace corvane::test
