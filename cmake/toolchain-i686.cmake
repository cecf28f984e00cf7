# The 32-bit Windows target, the primary one.
set(QEL_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
