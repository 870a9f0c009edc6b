# Linux on another processor with Debian's cross compilers (g++-TRIPLE). The
# file naming the processor sets TAMROVI_CROSS_TRIPLE and includes this one.
# Programs run under qemu-user, which finds the target's C and C++ runtimes in
# the cross compiler's sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${TAMROVI_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${TAMROVI_CROSS_TRIPLE}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${TAMROVI_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR env QEMU_LD_PREFIX=/usr/${TAMROVI_CROSS_TRIPLE} qemu-${TAMROVI_QEMU_CPU})
