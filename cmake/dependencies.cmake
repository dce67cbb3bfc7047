# The packages the library builds against; the library's tree and the fuzz targets' share them.
find_package(Threads REQUIRED)
find_package(Boost 1.81 REQUIRED COMPONENTS json)
find_package(CURL REQUIRED)
find_package(OpenSSL REQUIRED)  # the pinned roots' one certificate store, handed to libcurl's TLS
# ICU: its headers only, for the library, which loads it when it first needs it; the tests link it.
find_package(ICU REQUIRED COMPONENTS uc i18n)
find_package(PkgConfig REQUIRED)
# libplist: its headers only, for the library, which loads it when it first decodes a property
# list; the tests link it to write property lists of their own.
pkg_check_modules(PLIST REQUIRED IMPORTED_TARGET libplist-2.0)

# The pinned roots live in the library itself: their PEM files, as they are, become the text of a
# generated source, whose path goes to OUT_VAR. This is the one list of the roots.
set(LUMENO_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
function(lumeno_embed_roots OUT_VAR)
  set(certificates AmazonRootCA1 AmazonRootCA2 AmazonRootCA3 AmazonRootCA4 SFSRootCAG2)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/generated/embedded_resources.cpp)
  list(TRANSFORM certificates PREPEND ${LUMENO_ROOT}/resources/certificates/ OUTPUT_VARIABLE files)
  list(TRANSFORM files APPEND .pem)
  add_custom_command(
    OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -DOUT=${source} -DDIR=${LUMENO_ROOT}/resources/certificates
            "-DNAMES=${certificates}" -P ${LUMENO_ROOT}/cmake/embed_resources.cmake
    DEPENDS ${LUMENO_ROOT}/cmake/embed_resources.cmake ${files}
    VERBATIM)
  set(${OUT_VAR} ${source} PARENT_SCOPE)
endfunction()

# Writes lumeno/version.hpp and lumeno/export.hpp under DIR. SHARED says whether the library is
# a shared one: only then does the export macro mark a symbol as exported.
function(lumeno_generate_headers DIR SHARED)
  string(REPLACE "." ";" parts ${LUMENO_VERSION})
  list(GET parts 0 LUMENO_VERSION_MAJOR)
  list(GET parts 1 LUMENO_VERSION_MINOR)
  list(GET parts 2 LUMENO_VERSION_PATCH)
  configure_file(${LUMENO_ROOT}/cmake/version.hpp.in ${DIR}/lumeno/version.hpp @ONLY)
  if(SHARED)
    set(LUMENO_EXPORT_ATTRIBUTE "__attribute__((visibility(\"default\")))")
  else()
    set(LUMENO_EXPORT_ATTRIBUTE "")
  endif()
  configure_file(${LUMENO_ROOT}/cmake/export.hpp.in ${DIR}/lumeno/export.hpp @ONLY)
endfunction()
