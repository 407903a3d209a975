// Resident memory of a process, as Linux reports it.
#pragma once

#include <fstream>
#include <string>

// In KiB; `process` is a pid, or "self". -1 when it cannot be read.
inline long residentKiB(const std::string& process = "self") {
    std::ifstream in("/proc/" + process + "/status");
    std::string field;
    long kib = -1;
    while (in >> field) {
        if (field == "VmRSS:") {
            in >> kib;
        }
    }
    return kib;
}
