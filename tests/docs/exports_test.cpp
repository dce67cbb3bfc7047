// The public headers as a shared library's host reads them: every class and function the
// library defines out of line is exported.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Header {
    std::string name;  ///< below include/
    std::vector<std::string> lines;
};

std::vector<Header> publicHeaders() {
    const std::filesystem::path root = std::filesystem::path(LUMENO_SOURCE_DIR) / "include";
    std::vector<Header> headers;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root / "lumeno")) {
        if (entry.path().extension() != ".hpp") continue;
        Header header{entry.path().lexically_relative(root).string(), {}};
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) header.lines.push_back(line);
        headers.push_back(std::move(header));
    }
    return headers;
}

/// The declaration that starts at `at` up to its first ';' or '{'.
std::string declaration(const std::vector<std::string>& lines, std::size_t at) {
    std::string text;
    for (std::size_t i = at; i < lines.size(); ++i) {
        text += lines[i] + "\n";
        if (text.find_first_of(";{") != std::string::npos) break;
    }
    return text.substr(0, text.find_first_of(";{") + 1);
}

}  // namespace

TEST(PublicHeaders, EveryClassAndFunctionIsExported) {
    // At namespace scope: class and struct definitions that are no template, and declarations
    // of functions defined in the library.
    const std::regex type(R"(^(class|struct) (?!LUMENO_EXPORT ).*)");
    const std::regex function(R"(^(?!LUMENO_EXPORT |inline |constexpr |template|return|using|namespace)[A-Za-z_][\w:<>, ]* [A-Za-z_]\w*\(.*)");
    std::vector<std::string> unexported;
    for (const auto& header : publicHeaders()) {
        for (std::size_t i = 0; i < header.lines.size(); ++i) {
            const std::string& line = header.lines[i];
            const bool templated = i > 0 && header.lines[i - 1].starts_with("template");
            const std::string text = declaration(header.lines, i);
            // A template, or a one-line aggregate, has nothing of its own to export.
            if (templated || line.ends_with("};")) continue;
            if ((std::regex_match(line, type) && text.ends_with("{")) ||
                (std::regex_match(line, function) && text.ends_with(";")))
                unexported.push_back(header.name + ":" + std::to_string(i + 1) + ": " + line);
        }
    }
    for (const auto& line : unexported) ADD_FAILURE() << "not LUMENO_EXPORT: " << line;
}
