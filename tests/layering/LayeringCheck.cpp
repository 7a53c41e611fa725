// Checks that the includes between the folders of src/ point down the layers.
//
//   layering_check ROOT [--allow FROM->TO ...] [--expect FILE]
//
// The layers are the folders of the `foreach(dir ...)` list in ROOT/CMakeLists.txt, in
// that order: a folder may include from folders listed before it, never after. A
// folder that is not listed (src/platform/bus) is part of its nearest listed parent;
// the subfolders of one listed folder may include each other, but not in a cycle.
//
// Every `#include "..."` of a file under ROOT/src that resolves to a file under
// ROOT/src (beside the including file first, then from ROOT/src) is an edge between
// the two files' folders. Reported, each with the file and line that makes it:
//   - an include of a folder listed after the including folder's layer;
//   - a cycle of folders (every cycle, including one within a layer).
// --allow removes one folder edge from both checks (a known fault being mended).
// Ends with 1 when anything is reported; with --expect, ends with 0 exactly when the
// report equals FILE (the self-check on a planted fault).

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Place {
    std::string file; // relative to the root
    int line = 0;
};

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The folders of the first `foreach(dir ...)` list, in order.
std::vector<std::string> declaredOrder(const fs::path& cmakeLists)
{
    const std::string text = readFile(cmakeLists);
    const std::size_t start = text.find("foreach(dir");
    if (start == std::string::npos)
        return {};
    const std::size_t end = text.find(')', start);
    std::istringstream words(text.substr(start + 11, end - start - 11));
    std::vector<std::string> order;
    for (std::string word; words >> word;)
        order.push_back(word);
    return order;
}

// The quoted name of an `#include "..."` line, if it is one.
std::optional<std::string> quotedInclude(const std::string& line)
{
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] != '#')
        return std::nullopt;
    i = line.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos || line.compare(i, 7, "include") != 0)
        return std::nullopt;
    i = line.find_first_not_of(" \t", i + 7);
    if (i == std::string::npos || line[i] != '"')
        return std::nullopt;
    const std::size_t close = line.find('"', i + 1);
    if (close == std::string::npos)
        return std::nullopt;
    return line.substr(i + 1, close - i - 1);
}

bool isSource(const fs::path& path)
{
    static const std::set<std::string> extensions{".h", ".hpp", ".cpp", ".cc", ".inc", ".ipp"};
    return extensions.count(path.extension().string()) != 0;
}

class Checker {
public:
    Checker(fs::path root, std::vector<std::string> order, std::set<std::pair<std::string, std::string>> allowed)
        : root_(std::move(root)), order_(std::move(order)), allowed_(std::move(allowed))
    {
    }

    std::vector<std::string> run()
    {
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(root_ / "src"))
            if (entry.is_regular_file() && isSource(entry.path()))
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files)
            scan(file);
        reportCycles();
        for (const auto& [from, to] : allowed_)
            if (!seenAllowed_.count({from, to}))
                std::cerr << "note: the allowed edge " << from << " -> " << to << " no longer occurs\n";
        return findings_;
    }

private:
    std::string relative(const fs::path& path) const
    {
        return path.lexically_relative(root_).generic_string();
    }

    // The position of a folder's layer (its nearest listed ancestor) in the order.
    std::optional<std::size_t> layerOf(const std::string& folder) const
    {
        for (fs::path dir = folder; !dir.empty() && dir != "."; dir = dir.parent_path()) {
            const auto it = std::find(order_.begin(), order_.end(), dir.generic_string());
            if (it != order_.end())
                return static_cast<std::size_t>(it - order_.begin());
        }
        return std::nullopt;
    }

    std::optional<fs::path> resolve(const fs::path& includer, const std::string& name) const
    {
        for (const fs::path& base : {includer.parent_path(), root_ / "src"}) {
            const fs::path candidate = (base / name).lexically_normal();
            if (fs::is_regular_file(candidate))
                return candidate;
        }
        return std::nullopt;
    }

    void scan(const fs::path& file)
    {
        std::ifstream in(file);
        const std::string from = relative(file.parent_path());
        int number = 0;
        for (std::string line; std::getline(in, line);) {
            ++number;
            const auto name = quotedInclude(line);
            if (!name)
                continue;
            const auto target = resolve(file, *name);
            if (!target)
                continue;
            const std::string rel = relative(*target);
            if (rel.rfind("src/", 0) != 0)
                continue;
            const std::string to = relative(target->parent_path());
            if (from == to)
                continue;
            const Place place{relative(file), number};
            if (allowed_.count({from, to})) {
                seenAllowed_.insert({from, to});
                continue;
            }
            edges_[from].emplace(to, place); // the first include that makes the edge
            checkOrder(place, from, to, rel);
        }
    }

    void checkOrder(const Place& place, const std::string& from, const std::string& to, const std::string& target)
    {
        const auto fromLayer = layerOf(from);
        const auto toLayer = layerOf(to);
        if (!fromLayer || !toLayer) {
            findings_.push_back(place.file + ":" + std::to_string(place.line) + ": includes " + target + ": "
                                + (fromLayer ? to : from) + " is in no layer of the foreach list");
            return;
        }
        if (*toLayer > *fromLayer)
            findings_.push_back(place.file + ":" + std::to_string(place.line) + ": includes " + target
                                + ", upward: " + order_[*fromLayer] + " is listed before " + order_[*toLayer]);
    }

    // Tarjan's strongly connected components; each with more than one folder is a cycle.
    void reportCycles()
    {
        for (const auto& [folder, targets] : edges_) {
            if (!index_.count(folder))
                connect(folder);
        }
    }

    void connect(const std::string& folder)
    {
        index_[folder] = low_[folder] = next_++;
        stack_.push_back(folder);
        onStack_.insert(folder);
        for (const auto& [to, place] : edges_[folder]) {
            if (!index_.count(to)) {
                connect(to);
                low_[folder] = std::min(low_[folder], low_[to]);
            } else if (onStack_.count(to)) {
                low_[folder] = std::min(low_[folder], index_[to]);
            }
        }
        if (low_[folder] != index_[folder])
            return;
        std::set<std::string> component;
        std::string member;
        do {
            member = stack_.back();
            stack_.pop_back();
            onStack_.erase(member);
            component.insert(member);
        } while (member != folder);
        if (component.size() < 2)
            return;
        std::string names;
        for (const std::string& name : component)
            names += (names.empty() ? "" : ", ") + name;
        findings_.push_back("folder cycle: " + names);
        for (const std::string& from : component)
            for (const auto& [to, place] : edges_[from])
                if (component.count(to))
                    findings_.push_back("  " + from + " -> " + to + " at " + place.file + ":"
                                        + std::to_string(place.line));
    }

    fs::path root_;
    std::vector<std::string> order_;
    std::set<std::pair<std::string, std::string>> allowed_;
    std::set<std::pair<std::string, std::string>> seenAllowed_;
    std::map<std::string, std::map<std::string, Place>> edges_;
    std::vector<std::string> findings_;

    std::map<std::string, int> index_, low_;
    std::vector<std::string> stack_;
    std::set<std::string> onStack_;
    int next_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: layering_check ROOT [--allow FROM->TO ...] [--expect FILE]\n";
        return 2;
    }
    const fs::path root = fs::weakly_canonical(argv[1]);
    std::set<std::pair<std::string, std::string>> allowed;
    std::optional<fs::path> expect;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--allow" && i + 1 < argc) {
            const std::string edge = argv[++i];
            const std::size_t arrow = edge.find("->");
            if (arrow == std::string::npos) {
                std::cerr << "layering_check: --allow wants FROM->TO, not " << edge << "\n";
                return 2;
            }
            allowed.insert({edge.substr(0, arrow), edge.substr(arrow + 2)});
        } else if (arg == "--expect" && i + 1 < argc) {
            expect = argv[++i];
        } else {
            std::cerr << "layering_check: unknown argument " << arg << "\n";
            return 2;
        }
    }
    const std::vector<std::string> order = declaredOrder(root / "CMakeLists.txt");
    if (order.empty() || !fs::is_directory(root / "src")) {
        std::cerr << "layering_check: no foreach(dir ...) list in " << (root / "CMakeLists.txt") << " or no src/\n";
        return 2;
    }

    const std::vector<std::string> findings = Checker(root, order, allowed).run();
    std::string report;
    for (const std::string& finding : findings)
        report += finding + "\n";
    std::cout << report;
    if (expect) {
        const std::string expected = readFile(*expect);
        if (report == expected) {
            std::cout << "the report is the expected one\n";
            return 0;
        }
        std::cout << "expected instead:\n" << expected;
        return 1;
    }
    if (!findings.empty()) {
        std::cout << findings.size() << " finding(s): includes must point down the foreach list in CMakeLists.txt\n";
        return 1;
    }
    std::cout << "includes point down the layers\n";
    return 0;
}
