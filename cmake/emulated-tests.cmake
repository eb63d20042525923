# Included after project() by scripts/cross-test (CMAKE_PROJECT_INCLUDE): every program of
# a build whose tests run under qemu-user is linked statically. qemu-user 7.2 (Debian 12)
# crashes or hangs the child of fork() in dynamically linked ARM programs, and the tests
# fork (death tests, second instances) and start programs while threads run.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
string(APPEND CMAKE_EXE_LINKER_FLAGS " -static")
# FreeType's own dependencies, which its static library does not name.
set(CMAKE_CXX_STANDARD_LIBRARIES "-lpng16 -lbrotlidec -lbrotlicommon -lz -lm")
