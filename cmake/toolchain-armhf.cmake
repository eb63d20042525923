# 32-bit ARM (ARMv7 with NEON, hard-float) from Debian's crossbuild-essential-armhf, with the
# armhf libraries installed beside the host's (dpkg --add-architecture armhf). Programs built
# here run on the host under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
# The unit's processors have NEON; Debian's armhf baseline does not assume it. -Wno-psabi
# silences GCC's note that GCC 7.1 changed how some iterators are passed (all code here is
# built by one compiler).
set(CMAKE_C_FLAGS_INIT "-mfpu=neon")
set(CMAKE_CXX_FLAGS_INIT "-mfpu=neon -Wno-psabi")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /usr/arm-linux-gnueabihf)
# pkg-config finds the armhf .pc files only.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/arm-linux-gnueabihf/pkgconfig:/usr/share/pkgconfig)
