// Every call of the API and every type of the public headers has a doc comment ("///" on the
// line before, or a trailing "///<"), read from the headers of the source tree.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path includeDir = LUMENO_INCLUDE_DIR;

std::vector<std::string> linesOf(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string trimmed(const std::string& line) {
    const auto first = line.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : line.substr(first);
}

/// Whether the declaration that starts on line `index` has a doc comment: a "///" line right
/// above it (a template head between them is part of the declaration) or a trailing "///<".
bool documented(const std::vector<std::string>& lines, std::size_t index) {
    if (lines[index].find("///<") != std::string::npos) return true;
    std::size_t above = index;
    while (above > 0 && trimmed(lines[above - 1]).starts_with("template")) --above;
    return above > 0 && trimmed(lines[above - 1]).starts_with("///");
}

/// Follows the namespaces a header opens and closes, line by line, to tell the library's
/// internals (`namespace detail`) from the public API. Braces in comments, texts and
/// characters do not count.
class NamespaceTracker {
public:
    /// Reads one line; call `inDetail` before it for the line's own declarations.
    void read(const std::string& line) {
        static const std::regex opening(R"(^\s*namespace\s+([\w:]+)\s*\{)");
        std::smatch match;
        if (std::regex_search(line, match, opening))
            opened_.push_back({match[1].str().find("detail") != std::string::npos, depth_ + 1});
        char quote = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (quote != 0) {
                if (c == '\\') ++i;
                else if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
                break;
            } else if (c == '{') {
                ++depth_;
            } else if (c == '}') {
                --depth_;
                while (!opened_.empty() && opened_.back().depth > depth_) opened_.pop_back();
            }
        }
    }
    [[nodiscard]] bool inDetail() const {
        return std::ranges::any_of(opened_, [](const Opened& n) { return n.detail; });
    }

private:
    struct Opened {
        bool detail;
        int depth;
    };
    std::vector<Opened> opened_;
    int depth_ = 0;
};

std::string listed(const std::vector<std::string>& entries) {
    std::string text;
    for (const auto& entry : entries) text += entry + '\n';
    return text;
}

std::string place(const fs::path& file, std::size_t index) {
    return fs::relative(file, includeDir).string() + ":" + std::to_string(index + 1);
}

TEST(DocComments, EveryCallOfLumenoRequestHasOne) {
    const fs::path header = includeDir / "lumeno/api/lumeno_request.hpp";
    const auto lines = linesOf(header);
    const std::regex call(R"(^\s*static Handle (\w+)\()");
    std::size_t calls = 0;
    std::vector<std::string> missing;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch match;
        if (!std::regex_search(lines[i], match, call)) continue;
        ++calls;
        if (!documented(lines, i)) missing.push_back(place(header, i) + " " + match[1].str());
    }
    EXPECT_GT(calls, 0U) << "no call found in " << header;
    EXPECT_TRUE(missing.empty()) << "calls without a doc comment:\n" << listed(missing);
}

TEST(DocComments, EveryPublicTypeHasOne) {
    // A class, struct, union or enum definition (not a forward declaration), an alias or a
    // concept, outside the library's internals.
    const std::regex type(R"(^\s*(template\s*<.*>\s*)?(struct|class|union|enum class|enum)\s+(\w+)\s*(final\s*)?)"
                          R"((:[^;{]*)?(\{.*)?$)");
    const std::regex alias(R"(^\s*(template\s*<.*>\s*)?(using|concept)\s+(\w+)\s*=)");
    std::size_t types = 0;
    std::vector<std::string> missing;
    for (const auto& entry : fs::recursive_directory_iterator(includeDir / "lumeno")) {
        if (entry.path().extension() != ".hpp") continue;
        const auto lines = linesOf(entry.path());
        NamespaceTracker namespaces;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const bool internal = namespaces.inDetail();
            namespaces.read(lines[i]);
            if (internal || trimmed(lines[i]).starts_with("//")) continue;
            std::smatch match;
            if (!std::regex_search(lines[i], match, type) && !std::regex_search(lines[i], match, alias)) continue;
            ++types;
            if (!documented(lines, i)) missing.push_back(place(entry.path(), i) + " " + match[3].str());
        }
    }
    EXPECT_GT(types, 0U) << "no type found under " << includeDir;
    EXPECT_TRUE(missing.empty()) << "types without a doc comment:\n" << listed(missing);
}

}  // namespace
