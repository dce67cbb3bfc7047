// A host that found the installed library: it parses a date and reads the default settings. The
// headers' version is the one the package manager found (LUMENO_PACKAGE_VERSION).
#include <lumeno/lumeno.hpp>

static_assert(lumeno::version == LUMENO_PACKAGE_VERSION);

int main() {
    const lumeno::DateUtils dates(std::nullopt);
    const bool parsed = lumeno::toDate("2024-01-02", dates.dateFormats()).has_value();
    return parsed && lumeno::Lumeno::shared().settings()->defaultPageLimit == 50 ? 0 : 1;
}
