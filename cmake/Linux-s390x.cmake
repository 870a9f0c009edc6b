# IBM Z: big-endian, 64-bit.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(TAMROVI_CROSS_TRIPLE s390x-linux-gnu)
set(TAMROVI_QEMU_CPU s390x)
include(${CMAKE_CURRENT_LIST_DIR}/LinuxCross.cmake)
