// What the benchmarks measure with: medians of repeated runs, and the size of a catalog file.
#pragma once

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace reelkeep::bench {

inline double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The median wall time of `repeats` runs of `run()`, in milliseconds.
template <class F>
double MedianMilliseconds(int repeats, F&& run) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return Median(std::move(times));
}

// A catalog file with its write-ahead log, if any, in MB.
inline double FileMegabytes(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    struct stat wal {};
    const double walBytes = ::stat((path + "-wal").c_str(), &wal) == 0 ? static_cast<double>(wal.st_size) : 0;
    return (static_cast<double>(info.st_size) + walBytes) / 1e6;
}

}  // namespace reelkeep::bench
