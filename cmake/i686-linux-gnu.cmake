# 32-bit x86 build with Debian's cross compiler and the multiarch i386 libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

# Find i386 libraries and headers, but the host's programs (moc, uic, rcc).
set(CMAKE_FIND_ROOT_PATH /usr/lib/i386-linux-gnu /usr)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(CMAKE_PREFIX_PATH /usr/lib/i386-linux-gnu/cmake)

# Qt's build tools run on the host.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# Many x86_64 kernels (virtual machines among them) cannot execute i386 binaries, so tests run
# them through user-mode emulation, the same way on every machine.
find_program(QUORVEL_I386_RUNNER qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVEL_I386_RUNNER})
