#include <lumeno/lumeno.hpp>
