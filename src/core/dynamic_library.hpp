#pragma once

// Shared libraries that only some hosts need (libsecret, libplist) are loaded the first time
// they are used, not at the start of every process that links the library: each user lists the
// functions it calls, and gets them in a table typed by their own headers' declarations.

#include <dlfcn.h>

#include <expected>
#include <string>

namespace lumeno::detail {

/// A shared library opened by its soname. It stays loaded for the life of the process: GLib,
/// for one, cannot be unloaded.
class DynamicLibrary {
public:
    explicit DynamicLibrary(const char* soname) : handle_(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {
        if (!handle_) error_ = dlerror();
    }

    /// Points `function` at the library's function `name` (found in the library or in those it
    /// brings in); false, with the reason in `error()`, when there is none or the library did
    /// not load.
    template <class Function>
    bool resolve(Function& function, const char* name) {
        if (!handle_) return false;
        dlerror();
        function = reinterpret_cast<Function>(dlsym(handle_, name));
        if (function) return true;
        const char* reason = dlerror();
        error_ = reason ? reason : std::string(name) + ": no such function";
        return false;
    }

    /// Why the library did not load or a function was not found.
    [[nodiscard]] const std::string& error() const { return error_; }

private:
    void* handle_;
    std::string error_;
};

/// The functions of `Table` (a `LUMENO_FUNCTION_TABLE`) in the shared library `soname`, which
/// is loaded now; what went wrong when it cannot be loaded or lacks one of them.
template <class Table>
std::expected<Table, std::string> loadFunctions(const char* soname) {
    DynamicLibrary library(soname);
    Table table;
    if (table.resolve(library)) return table;
    return std::unexpected(library.error());
}

}  // namespace lumeno::detail

#define LUMENO_FUNCTION_MEMBER(name) decltype(&::name) name = nullptr;
// The name as the library exports it: a macro (ICU's versioned names) is expanded first.
#define LUMENO_EXPORTED_NAME(name) #name
#define LUMENO_RESOLVE_FUNCTION(name) &&library.resolve(name, LUMENO_EXPORTED_NAME(name))

/// Declares `struct Table` with a pointer to each function that `FUNCTIONS(X)` names as
/// `X(function)`, typed as the function is declared, and named as it is.
#define LUMENO_FUNCTION_TABLE(Table, FUNCTIONS)                                                     \
    struct Table {                                                                                  \
        FUNCTIONS(LUMENO_FUNCTION_MEMBER)                                                           \
        bool resolve(::lumeno::detail::DynamicLibrary& library) {                                   \
            return true FUNCTIONS(LUMENO_RESOLVE_FUNCTION);                                         \
        }                                                                                           \
    }
