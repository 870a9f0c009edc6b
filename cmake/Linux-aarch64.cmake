# 64-bit ARM.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(TAMROVI_CROSS_TRIPLE aarch64-linux-gnu)
set(TAMROVI_QEMU_CPU aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/LinuxCross.cmake)
