#pragma once
// Small pieces the Windows benchmarks share: a monotonic stopwatch, the median, and steering the sample
// comic site over its control API.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "http_client.h"

namespace dromix::bench {

inline double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// GET http://127.0.0.1:port/_control/<command> directly (never through a proxy); throws unless 200.
inline void SiteControl(int port, const std::string& command) {
    const UniqueInternet session(InternetOpenW(L"DromixBench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) throw std::runtime_error("InternetOpen failed");
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/_control/" + command;
    const UniqueInternet request(InternetOpenUrlA(session.get(), url.c_str(), nullptr, 0,
                                                  INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request) throw std::runtime_error("Cannot reach the comic site: " + url);
    DWORD status = 0, size = sizeof status;
    HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    char buffer[4096];
    DWORD read = 0;
    while (InternetReadFile(request.get(), buffer, sizeof buffer, &read) && read > 0) {
    }
    if (status != 200) throw std::runtime_error("The comic site refused " + url);
}

// "--name value" from the command line, or `fallback`.
inline std::string Argument(int argc, char** argv, const std::string& name, const std::string& fallback = {}) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (name == argv[i]) return argv[i + 1];
    }
    return fallback;
}

// One result line the bench script reads: "RESULT <figure> <value>".
inline void Report(const std::string& figure, double value) {
    std::printf("RESULT %s %.4f\n", figure.c_str(), value);
    std::fflush(stdout);
}

}  // namespace dromix::bench
