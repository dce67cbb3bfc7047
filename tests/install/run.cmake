# Installs the built library (BUILD_DIR) into a fresh prefix under WORK and builds hosts against
# it, each of which then runs:
# - the CMake project SOURCE (find_package; its main.cpp and the README's code blocks) with the
#   compiler CXX and FLAGS, and with CLANG (when given) and the one flag clang 16 needs against
#   libstdc++ 12;
# - SOURCE/main.cpp alone through pkg-config.
# SHARED says whether the library is a shared one, EXAMPLES whether the build has the examples
# (then the sandbox gateway is installed); GENERATOR is optional.
file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
if(EXAMPLES AND NOT EXISTS ${prefix}/bin/lumeno_sandbox_gateway)
  message(FATAL_ERROR "the sandbox gateway is not installed")
endif()

# A shared library is named for its version, and its soname for the versions it keeps faith with.
if(SHARED)
  file(GLOB_RECURSE library ${prefix}/*/liblumeno.so)
  execute_process(COMMAND readelf -d ${library} OUTPUT_VARIABLE dynamic COMMAND_ERROR_IS_FATAL ANY)
  if(NOT dynamic MATCHES "Library soname: \\[liblumeno\\.so\\.[0-9]+\\.[0-9]+\\]")
    message(FATAL_ERROR "${library} has no versioned soname:\n${dynamic}")
  endif()
endif()

set(generator)
if(GENERATOR)
  set(generator -G ${GENERATOR})
endif()

function(cmake_host name compiler flags)
  set(dir ${WORK}/${name})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${dir} ${generator}
                          -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${compiler}
                          "-DCMAKE_CXX_FLAGS=${flags}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}"
                          -DLUMENO_README=${README} -DLUMENO_EXPECT_SHARED=${SHARED}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${dir} OUTPUT_VARIABLE output ERROR_VARIABLE output
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "the ${name} host does not build:\n${output}")
  endif()
  execute_process(COMMAND ${dir}/my_app COMMAND_ERROR_IS_FATAL ANY)
endfunction()

cmake_host(gcc ${CXX} "${FLAGS}")
if(CLANG)
  cmake_host(clang ${CLANG} "-D__cpp_concepts=202002L")
endif()

file(GLOB_RECURSE pc ${prefix}/*/lumeno.pc)
get_filename_component(pc_dir "${pc}" DIRECTORY)
get_filename_component(libdir "${pc_dir}" DIRECTORY)
set(static --static)
set(rpath)
if(SHARED)
  set(static)
  set(rpath -Wl,-rpath,${libdir})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_dir} pkg-config --cflags --libs ${static} lumeno
                OUTPUT_VARIABLE pkg_config OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_dir} pkg-config --modversion lumeno
                OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(pkg_config UNIX_COMMAND "${pkg_config}")
list(APPEND pkg_config "-DLUMENO_PACKAGE_VERSION=\"${version}\"")
separate_arguments(flags UNIX_COMMAND "${FLAGS}")
execute_process(COMMAND ${CXX} -std=c++23 ${flags} ${SOURCE}/main.cpp -o ${WORK}/pkg-config-host ${pkg_config} ${rpath}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${WORK}/pkg-config-host COMMAND_ERROR_IS_FATAL ANY)
