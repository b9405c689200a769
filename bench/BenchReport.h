// The one line a benchmark prints per measurement: runs, median and tail, in microseconds.
#pragma once

#include <algorithm>
#include <cstdio>
#include <vector>

namespace velmora {

inline void Report(const char* what, std::vector<double>& us) {
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1))]; };
    std::printf("%-28s runs %zu  median %8.0f us  p90 %8.0f us  p99 %8.0f us  max %8.0f us\n", what,
                us.size(), at(0.5), at(0.9), at(0.99), us.back());
}

}  // namespace velmora
