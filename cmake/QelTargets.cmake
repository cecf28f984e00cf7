# Settings shared by the project's own targets.

# Our sources are UTF-8; the program's narrow text is Windows-1252.
set(QEL_COMPILE_OPTIONS -finput-charset=UTF-8 -fexec-charset=CP1252)
# Windows 7 API level; it also selects ADO declarations with the right 64-bit types.
set(QEL_DEFINITIONS _WIN32_WINNT=0x0601 NTDDI_VERSION=0x06010000 WINVER=0x0601 NOMINMAX STRICT)
set(QEL_WARNINGS -Wall -Wextra -Wpedantic -Werror)

# A library of the project's own code.
function(qel_library name)
  add_library(${name} STATIC ${ARGN})
  qel_own_code(${name})
endfunction()

function(qel_own_code target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX,C>:${QEL_COMPILE_OPTIONS} ${QEL_WARNINGS}>)
  target_compile_definitions(${target} PUBLIC ${QEL_DEFINITIONS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# Every executable is self-contained: no runtime DLL beside it.
function(qel_static_link target)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
endfunction()
