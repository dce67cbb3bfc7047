// A host that found the installed library with find_package(lumeno).
#include <lumeno/lumeno.hpp>

int main() {
    const lumeno::DateUtils dates(std::nullopt);
    const bool parsed = lumeno::toDate("2024-01-02", dates.dateFormats()).has_value();
    return parsed && lumeno::Lumeno::shared().settings()->defaultPageLimit == 50 ? 0 : 1;
}
