# The library's version: the project's, the shared library's and the one lumeno/version.hpp gives.
set(LUMENO_VERSION 0.1.0)
