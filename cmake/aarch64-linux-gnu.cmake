# Cross build for 64-bit ARM (a Raspberry Pi 3, 4 or 5 on a 64-bit system) with Debian's cross
# compiler and the arm64 libraries installed beside the native ones (scripts/deps.sh cross):
#
#   cmake -S . -B build-arm64 --toolchain cmake/aarch64-linux-gnu.cmake \
#         -DVANTOR_HOST_MKSHOW=$PWD/build/content/mkshow
#
# The show's generator runs on this machine while building, so it comes from a native build
# (VANTOR_HOST_MKSHOW); the programs and the tests are arm64 programs, and ctest runs the tests
# under qemu's user-mode emulator.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# Debian multiarch: the arm64 libraries live in /usr/lib/aarch64-linux-gnu of this very system,
# the compiler's own in /usr/aarch64-linux-gnu; programs to run while building are this machine's.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the arm64 .pc files only, never this machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# The tests run under emulation. The loader and C library are the arm64 libc6 of multiarch
# (/lib/ld-linux-aarch64.so.1 and /lib/aarch64-linux-gnu), which must stay together: no -L to the
# cross compiler's copy of them, whose version may differ.
find_program(VANTOR_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static)
if(VANTOR_QEMU_AARCH64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VANTOR_QEMU_AARCH64})
endif()

# Debian's name for this architecture, for a package made from this build (dpkg would give
# this machine's own).
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
