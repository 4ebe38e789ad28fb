# Cross-compiling for 64-bit Windows with mingw-w64: the same sources as the
# 32-bit component, built so that the tests can run under a 64-bit Wine on a
# machine whose kernel cannot run 32-bit programs (see tools/build.sh).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
