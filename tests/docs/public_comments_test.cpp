// The public headers as a host reads them: every call, type and function has a doc comment
// (what the reference documentation is built from), and every class and function the library
// defines out of line is exported from a shared library.
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

/// Whether the declaration at `at` has a doc comment: a "///" line just before it (before its
/// template head, if it has one).
bool documented(const std::vector<std::string>& lines, std::size_t at) {
    static const std::regex templateHead(R"(^\s*template\s*<.*)");
    while (at > 0 && std::regex_match(lines[at - 1], templateHead)) --at;
    return at > 0 && std::regex_match(lines[at - 1], std::regex(R"(^\s*///.*)"));
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

TEST(PublicHeaders, EveryCallTypeAndFunctionHasADocComment) {
    // The calls of LumenoRequest; the classes, structs and enums at namespace scope, and the
    // functions declared there.
    const std::regex call(R"(^    static \w.*\(.*)");
    const std::regex type(R"(^(class|struct|enum( class)?) .*)");
    const std::regex function(R"(^(LUMENO_EXPORT )?[A-Za-z_][\w:<>, ]* [A-Za-z_]\w*\(.*)");
    std::vector<std::string> missing;
    std::size_t calls = 0;
    for (const auto& header : publicHeaders()) {
        if (header.name.starts_with("lumeno/detail/")) continue;  // what the calls' templates use
        for (std::size_t i = 0; i < header.lines.size(); ++i) {
            const std::string& line = header.lines[i];
            const bool isCall = header.name == "lumeno/api/lumeno_request.hpp" && std::regex_match(line, call);
            calls += isCall;
            const bool isType = std::regex_match(line, type) && declaration(header.lines, i).ends_with("{");
            const bool isFunction = std::regex_match(line, function) && !line.starts_with("return") &&
                                    declaration(header.lines, i).ends_with(";");
            if ((isCall || isType || isFunction) && !documented(header.lines, i))
                missing.push_back(header.name + ":" + std::to_string(i + 1) + ": " + line);
        }
    }
    EXPECT_GT(calls, 90u);  // the pattern still finds the calls
    for (const auto& line : missing) ADD_FAILURE() << "no doc comment: " << line;
}

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
