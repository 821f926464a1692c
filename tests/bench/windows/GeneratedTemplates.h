#pragma once
// Template files of a given size for the Windows benchmarks: names and
// descriptions of the kind people write (identifiers of mixed case, a few
// words of description), every display text distinct, the same for the same
// count on every run.
#include <random>
#include <string>

namespace velmora::bench {

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
