#pragma once
// What the Windows benchmarks share: wall-clock milliseconds, the median of
// a run's figures, and template files of a given size.
#include <windows.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace velmora::bench {

// Milliseconds between two QueryPerformanceCounter readings.
inline double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The median of `values`; -1 when there are none.
inline double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Template files: names and descriptions of the kind people write
// (identifiers of mixed case, a few words of description), every display
// text distinct, the same for the same count on every run.
// A template file of `count` templates, as the user's configuration would hold it.
inline std::string MakeTemplateFile(int count) {
    std::mt19937 random(20240601u + static_cast<unsigned>(count));
    const char* const words[] = {"loop",  "guard",  "class", "switch", "try",    "block", "counted",
                                 "range", "header", "test",  "member", "static", "event", "handler"};
    const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
    std::string file;
    for (int i = 0; i < count; ++i) {
        std::string name;
        const int length = 3 + static_cast<int>(random() % 10);
        for (int k = 0; k < length; ++k) name += letters[random() % letters.size()];
        name += std::to_string(i);
        std::string description;
        for (int k = 0, n = 1 + static_cast<int>(random() % 4); k < n; ++k) {
            if (k) description += ' ';
            description += words[random() % (sizeof words / sizeof words[0])];
        }
        file += "// [" + name + " | " + description + "]\nbody();\n";
    }
    return file;
}

}  // namespace velmora::bench
