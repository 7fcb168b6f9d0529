#pragma once
// Small helpers the benchmarks share: percentiles, the machine line, the
// table layout, and a busy wait that stands for a slow window handler.
#include <QString>
#include <QSysInfo>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace dzq::bench {

using Clock = std::chrono::steady_clock;

inline double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The p-th percentile (0..100) by nearest rank; 0 for no values.
inline double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t rank = size_t(std::ceil(p / 100.0 * double(v.size())));
    return v[std::clamp<size_t>(rank, 1, v.size()) - 1];
}

inline double maxOf(const std::vector<double> &v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

inline double median(const std::vector<double> &v) { return percentile(v, 50); }

// "Intel(R) Xeon(R) ..., 8 cores, Linux ..."
inline std::string machine()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line, model = "unknown CPU";
    while (std::getline(cpuinfo, line))
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    return model + ", " + std::to_string(std::thread::hardware_concurrency()) + " cores, " +
           QSysInfo::prettyProductName().toStdString() + ", kernel " + QSysInfo::kernelVersion().toStdString();
}

// The load average now: other work on the machine shows in every timing.
inline std::string loadAverage()
{
    std::ifstream f("/proc/loadavg");
    double one = 0, five = 0, fifteen = 0;
    f >> one >> five >> fifteen;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f %.2f %.2f", one, five, fifteen);
    return buf;
}

inline void title(const char *name, const char *what)
{
    std::printf("\n== %s: %s\n", name, what);
    std::printf("machine: %s; load average %s\n", machine().c_str(), loadAverage().c_str());
    std::fflush(stdout);
}

// Spins for the given time: a window handler that keeps the thread busy.
inline void busyFor(std::chrono::microseconds d)
{
    const auto end = Clock::now() + d;
    while (Clock::now() < end) {
    }
}

inline const char *verdict(bool met) { return met ? "met" : "NOT met"; }

} // namespace dzq::bench
