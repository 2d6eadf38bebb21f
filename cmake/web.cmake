# The browser build (Emscripten): flags of every WebAssembly program of the
# tree, and the unit tests run by node.
include_guard(GLOBAL)

# Release is small: the page is a download. -Os, as measured, costs the
# exchange nothing (it is paced by the line and its timers). Optimising the
# whole program at its link takes a fifth off the module (13 KB gzip) for half
# a minute more of the web build.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -flto -DNDEBUG")

# The unit tests are node programs. This Emscripten's glue trips over node
# 20's own fetch; gtest's death-free suites need a growing heap and the exit
# code of main. Their objects are compiled as the page's are; only their link
# skips the optimiser's passes over the whole program (a minute of a test run).
find_program(QV3_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${QV3_NODE};--no-experimental-fetch")
set(QV3_WEB_TEST_LINK_FLAGS -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sNODERAWFS=1 -O0)

# The serial imports that wait (device/serial_port_web.cpp): every program that
# links the browser's serial port names them, with its own, in -sASYNCIFY_IMPORTS.
set(QV3_WEB_SERIAL_WAITS qv3_web_port_open,qv3_web_port_write_byte,qv3_web_port_read_byte,qv3_web_port_close,qv3_web_sleep_ms)
