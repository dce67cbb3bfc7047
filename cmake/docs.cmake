# The `docs` target: the reference of the public headers, written by Doxygen to
# <build>/docs/html. It is built only when asked for (`cmake --build <build> --target docs`);
# without Doxygen there is no such target and nothing else changes. A host that adds the
# library with add_subdirectory gets no such target either: its own `docs` stays free.
if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
  return()
endif()

set(DOXYGEN_PROJECT_NAME "Lumeno C++")
set(DOXYGEN_PROJECT_NUMBER ${PROJECT_VERSION})
set(DOXYGEN_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/docs)
set(DOXYGEN_GENERATE_HTML YES)
set(DOXYGEN_STRIP_FROM_PATH ${CMAKE_CURRENT_SOURCE_DIR}/include)
set(DOXYGEN_STRIP_FROM_INC_PATH ${CMAKE_CURRENT_SOURCE_DIR}/include)
# The library's internals are no part of the reference.
set(DOXYGEN_EXCLUDE_SYMBOLS "lumeno::detail" "lumeno::detail::*")
# The doc-comment test holds every call and type to a comment; a field or an alternative that
# its type's comment describes needs none, so Doxygen does not list them.
set(DOXYGEN_WARN_IF_UNDOCUMENTED NO)
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE ${CMAKE_CURRENT_SOURCE_DIR}/README.md)
doxygen_add_docs(docs ${CMAKE_CURRENT_SOURCE_DIR}/include/lumeno ${CMAKE_CURRENT_SOURCE_DIR}/README.md
                 COMMENT "Building the API reference with Doxygen")
