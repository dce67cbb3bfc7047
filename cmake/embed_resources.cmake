# Writes OUT: the PEM files NAMES (each DIR/NAME.pem) one after the other, as the text of
# embeddedRootsPem().
set(bytes "")
foreach(name IN LISTS NAMES)
  file(READ ${DIR}/${name}.pem hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(APPEND bytes "${hex}")
endforeach()
file(WRITE ${OUT} "// Generated at build time from resources/certificates.
#include \"core/resources.hpp\"

namespace lumeno::detail {

std::string_view embeddedRootsPem() {
    static constexpr char pem[] = {${bytes}};
    return {pem, sizeof pem};
}

}  // namespace lumeno::detail
")
