# The version of every program and package, from project(VERSION): a header
# for the programs and the resource compiler (target qv3_version), and
# version.txt in the build tree for scripts/package.
include_guard(GLOBAL)

set(QV3_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/qv3_version.h.in ${QV3_GENERATED_DIR}/qv3_version.h @ONLY)
file(WRITE ${CMAKE_BINARY_DIR}/version.txt "${PROJECT_VERSION}\n")

add_library(qv3_version INTERFACE)
target_include_directories(qv3_version INTERFACE ${QV3_GENERATED_DIR})
