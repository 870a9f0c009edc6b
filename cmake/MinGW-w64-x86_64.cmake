# Windows x86-64 with Debian's MinGW-w64 toolchain (g++-mingw-w64-x86-64-posix).
# The posix flavour is the one whose C++ runtime has std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAMROVI_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TAMROVI_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAMROVI_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAMROVI_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAMROVI_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests run under Wine, each in the prefix of its build folder, headless and quiet.
find_program(TAMROVI_WINE NAMES wine wine64)
set(CMAKE_CROSSCOMPILING_EMULATOR
  env WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d DISPLAY= WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
  ${TAMROVI_WINE})
