# Cross-builds the game for arm64 (a Raspberry Pi, an arm64 Chromebook) with
# Debian's cross compilers and its arm64 libraries installed beside the
# machine's own (multiarch). Qt's tools (moc, rcc, uic) are the machine's.
# Test programs run through qemu-user, which CTest puts in front of them.
#
#   cmake -S . -B build-arm64 --toolchain packaging/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# The arm64 libraries live in the system's own folders, under their
# architecture's name: the root stays /, or Qt would not be found.
set(CMAKE_FIND_ROOT_PATH /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Else pkg-config silently hands back the machine's own libraries.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
find_program(ZENTRIK_QEMU NAMES qemu-aarch64 qemu-aarch64-static)
if(ZENTRIK_QEMU)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ZENTRIK_QEMU})
endif()
