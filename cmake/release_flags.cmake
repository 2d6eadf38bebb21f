# Release builds of the Windows programs: the download is the .exe itself, so
# it is built small. -Os costs nothing that matters here: the exchange with a
# tracker is paced by 100 ms timers and the line's baud rate, not by the CPU.
# Unused functions and data are dropped at link time and the symbols stripped.
include_guard(GLOBAL)

if(WIN32)
  set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
  set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
  add_compile_options($<$<CONFIG:Release>:-ffunction-sections> $<$<CONFIG:Release>:-fdata-sections>)
  add_link_options($<$<CONFIG:Release>:-Wl,--gc-sections> $<$<CONFIG:Release>:-s>)
endif()
