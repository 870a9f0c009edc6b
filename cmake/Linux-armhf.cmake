# 32-bit ARM with hardware floating point: 32-bit size_t and pointers.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(TAMROVI_CROSS_TRIPLE arm-linux-gnueabihf)
set(TAMROVI_QEMU_CPU arm)
include(${CMAKE_CURRENT_LIST_DIR}/LinuxCross.cmake)
