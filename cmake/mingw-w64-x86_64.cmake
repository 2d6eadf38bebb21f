# CMake toolchain file: cross-compile for 64-bit Windows with Debian's
# MinGW-w64 (package g++-mingw-w64-x86-64) and run the results under Wine.
#
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The "posix" thread-model compilers are used: their libstdc++ has
# std::thread, std::mutex and std::condition_variable (GCC 12's "win32"
# model lacks them), and the winpthread runtime they need links statically
# with -static, so the executables still need no DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QV3_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(QV3_MINGW_CXX NAMES ${QV3_MINGW_TRIPLE}-g++-posix)
find_program(QV3_MINGW_CC NAMES ${QV3_MINGW_TRIPLE}-gcc-posix)
find_program(QV3_MINGW_WINDRES NAMES ${QV3_MINGW_TRIPLE}-windres)
if(NOT QV3_MINGW_CXX OR NOT QV3_MINGW_CC)
  message(FATAL_ERROR
    "${QV3_MINGW_TRIPLE}-g++-posix not found: install g++-mingw-w64-x86-64")
endif()

set(CMAKE_C_COMPILER ${QV3_MINGW_CC})
set(CMAKE_CXX_COMPILER ${QV3_MINGW_CXX})
if(QV3_MINGW_WINDRES)
  set(CMAKE_RC_COMPILER ${QV3_MINGW_WINDRES})
endif()

# Headers and libraries come from the MinGW sysroot only; helper programs
# from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${QV3_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest (and try_run) start the .exe files through Wine. The script keeps a
# private Wine prefix in the build tree (see scripts/wine-run).
get_filename_component(QV3_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${QV3_SOURCE_ROOT}/scripts/wine-run")
