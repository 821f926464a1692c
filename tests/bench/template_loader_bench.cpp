// Loads a generated template folder (over 5 MB, 50,000 templates in ten
// files) through LoadForExtension and reads the same files line by line with
// std::getline and no parsing; prints both times and their ratio (the loader
// should stay within three times the plain read). For reference it also times
// reading, converting and keeping every line as its own UTF-16 string, which
// is what the template entries hold at the least.
//
// Times are process CPU time, best of several rounds, so that other work on a
// shared machine does not count; the first, cold load is shown as well. Build
// without sanitizers for figures worth quoting:
//   cmake -DVELMORA_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release ...
//
//   template_loader_bench [folder]   (default: a new folder under the temp dir)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "templates/CodeTemplateSet.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 10;
constexpr int kTemplates = 50000;
constexpr int kRounds = 10;

// Real files, read as the native platform reads text; 8-bit text widened
// byte by byte.
class DiskFiles : public velmora::TemplateFileAccess {
public:
    explicit DiskFiles(fs::path folder) : folder_(std::move(folder)) {}
    std::u16string SetFilePath() const override { return FolderPath() + u"CodeSet.ini"; }
    std::u16string FolderPath() const override { return (folder_ / "").u16string(); }
    std::unique_ptr<std::istream> Open(const std::u16string& path) const override {
        auto in = std::make_unique<std::ifstream>(fs::path(path));
        if (!*in) return nullptr;
        return in;
    }
    void ToUtf16(std::string_view bytes, std::u16string& text) const override { Widen(bytes, text); }

    static void Widen(std::string_view bytes, std::u16string& text) {
        text.resize(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
    }

private:
    fs::path folder_;
};

std::string FileName(int i) { return "templates" + std::to_string(i) + ".txt"; }

// Ten files of C++-like templates, three or four lines each.
std::uintmax_t Generate(const fs::path& folder) {
    fs::create_directories(folder);
    std::ofstream set(folder / "CodeSet.ini", std::ios::binary);
    std::uintmax_t bytes = 0;
    for (int f = 0; f < kFiles; ++f) {
        set << FileName(f) << " = cpp;h;hpp\n";
        std::ofstream out(folder / FileName(f), std::ios::binary);
        out << "Generated templates, file " << f << "\n";
        for (int t = f; t < kTemplates; t += kFiles) {
            out << "// [tmpl" << t << " | generated template number " << t << "]\n"
                << "for (int i" << t << " = 0; i" << t << " < n; ++i" << t << ") {\n"
                << "\tvalue += table[i" << t << "] * " << t % 97 << ";\n"
                << "}\n";
            if (t % 5 == 0) out << "\n";
        }
        out.close();
        bytes += fs::file_size(folder / FileName(f));
    }
    return bytes;
}

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Best {
    double first = -1;
    double best = 1e9;
    void Add(double seconds) {
        if (first < 0) first = seconds;
        best = std::min(best, seconds);
    }
};

}  // namespace

int main(int argc, char** argv) {
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
    std::puts("note: built with AddressSanitizer; times are not representative");
#endif
#endif
    const bool ownFolder = argc <= 1;
    fs::path folder = ownFolder ? fs::temp_directory_path() /
                                      ("velmora-bench-" +
                                       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))
                                : fs::path(argv[1]);
    std::uintmax_t bytes = Generate(folder);
    DiskFiles files(folder);
    std::vector<fs::path> paths{folder / "CodeSet.ini"};
    for (int f = 0; f < kFiles; ++f) paths.push_back(folder / FileName(f));

    // Each measurement runs its rounds on its own, so that the heap one of
    // them leaves behind does not decide the next one's figures.
    Best load, read, keep;
    std::size_t templates = 0, lines = 0;
    for (int round = 0; round < kRounds; ++round) {
        double start = CpuSeconds();
        velmora::CodeTemplateSet set(files);
        int result = set.LoadForExtension(u"cpp");
        load.Add(CpuSeconds() - start);
        if (result != 0) {
            std::fprintf(stderr, "LoadForExtension returned %d\n", result);
            return 2;
        }
        templates = set.entries.size();
    }
    for (int round = 0; round < kRounds; ++round) {
        double start = CpuSeconds();
        std::size_t count = 0;
        std::string line;
        for (const fs::path& path : paths) {
            std::ifstream in(path);
            while (std::getline(in, line)) ++count;
        }
        read.Add(CpuSeconds() - start);
        lines = count;
    }
    for (int round = 0; round < kRounds; ++round) {
        double start = CpuSeconds();
        std::vector<std::u16string> kept;
        std::string line;
        for (const fs::path& path : paths) {
            std::ifstream in(path);
            while (std::getline(in, line)) {
                kept.emplace_back();
                DiskFiles::Widen(line, kept.back());
            }
        }
        keep.Add(CpuSeconds() - start);
    }
    if (ownFolder) fs::remove_all(folder);

    const double ratio = load.best / read.best;
    std::printf("template files: %d, %.2f MB, %zu lines, %zu templates\n", kFiles, bytes / 1e6, lines, templates);
    std::printf("LoadForExtension:        %7.2f ms (first %.2f ms)\n", load.best * 1e3, load.first * 1e3);
    std::printf("plain line read:         %7.2f ms (first %.2f ms)\n", read.best * 1e3, read.first * 1e3);
    std::printf("lines kept as UTF-16:    %7.2f ms (reference)\n", keep.best * 1e3);
    std::printf("ratio loader/plain read: %.2f (%s 3); best of %d rounds, CPU time\n", ratio,
                ratio <= 3.0 ? "within" : "ABOVE", kRounds);
    return ratio <= 3.0 ? 0 : 1;
}
