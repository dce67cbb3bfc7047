#include <iostream>

#include "lumeno/lumeno.hpp"

int main() {
    std::cout << "Lumeno demo: default page limit " << lumeno::Lumeno::shared().defaultPageLimit << "\n";
    return 0;
}
