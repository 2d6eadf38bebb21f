# Unit-test support: builds GoogleTest from source inside this build tree and
# registers test executables with CTest through qv3_add_gtest().
#
# GoogleTest is compiled here rather than taken prebuilt so that every build
# (native, sanitizer, MinGW cross) compiles it with the same compiler and
# flags as the code under test.
include_guard(GLOBAL)

set(QV3_GTEST_SOURCE "/usr/src/googletest" CACHE PATH
  "GoogleTest source tree (Debian package googletest)")

# Adds GoogleTest as a sub-build; a function so that the settings below stay
# local to it.
function(_qv3_add_googletest)
  if(NOT EXISTS "${QV3_GTEST_SOURCE}/CMakeLists.txt")
    message(FATAL_ERROR
      "GoogleTest sources not found in QV3_GTEST_SOURCE=${QV3_GTEST_SOURCE}; "
      "install the Debian package 'googletest' or set QV3_GTEST_SOURCE.")
  endif()

  # Let the plain variables below win over GoogleTest's option() defaults.
  set(CMAKE_POLICY_DEFAULT_CMP0077 NEW)
  set(BUILD_GMOCK OFF)
  set(INSTALL_GTEST OFF)
  set(gtest_build_tests OFF)
  set(gtest_build_samples OFF)
  # Static gtest libraries everywhere; the Windows test programs must be
  # single static executables that run under Wine with no DLLs beside them.
  set(BUILD_SHARED_LIBS OFF)
  set(gtest_force_shared_crt OFF)
  if(MINGW OR CMAKE_SYSTEM_NAME STREQUAL "Windows")
    set(gtest_disable_pthreads ON)
  endif()

  add_subdirectory("${QV3_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/_deps/googletest"
    EXCLUDE_FROM_ALL)
endfunction()

if(NOT TARGET gtest)
  _qv3_add_googletest()
endif()

include(GoogleTest)

# qv3_add_gtest(<target>)
#
# Registers a GoogleTest executable with CTest. Natively, every test case
# becomes its own CTest test (discovered when ctest runs). When cross
# compiling (Windows executables run through CMAKE_CROSSCOMPILING_EMULATOR,
# i.e. Wine, and WebAssembly ones through node), the whole program is one
# CTest test, because each Wine start costs about a second.
#
# Tests run in an empty scratch directory of their own under the build tree:
#   <build>/test-scratch/<target>
function(qv3_add_gtest target)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "qv3_add_gtest: no target named '${target}'")
  endif()

  set(scratch "${CMAKE_BINARY_DIR}/test-scratch/${target}")
  file(MAKE_DIRECTORY "${scratch}")

  if(EMSCRIPTEN)
    target_link_options(${target} PRIVATE ${QV3_WEB_TEST_LINK_FLAGS})
    add_test(NAME ${target} COMMAND ${target} --gtest_color=no
      WORKING_DIRECTORY "${scratch}")
    set_tests_properties(${target} PROPERTIES TIMEOUT 300)
  elseif(CMAKE_CROSSCOMPILING)
    # add_test() puts CMAKE_CROSSCOMPILING_EMULATOR in front of the target.
    add_test(NAME ${target} COMMAND ${target} --gtest_color=no
      WORKING_DIRECTORY "${scratch}")
    set_tests_properties(${target} PROPERTIES
      TIMEOUT 900
      # One Wine prefix per build tree; the emulator script creates it on
      # first use.
      ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix")
  else()
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      WORKING_DIRECTORY "${scratch}"
      PROPERTIES TIMEOUT 300)
  endif()
endfunction()
