# Settings shared by the project's own targets.

# Our sources are UTF-8; the program's narrow text is Windows-1252.
set(QEL_COMPILE_OPTIONS -finput-charset=UTF-8 -fexec-charset=CP1252)
# Windows 7 API level; it also selects ADO declarations with the right 64-bit types.
set(QEL_DEFINITIONS _WIN32_WINNT=0x0601 NTDDI_VERSION=0x06010000 WINVER=0x0601 NOMINMAX STRICT)
set(QEL_WARNINGS -Wall -Wextra -Wpedantic -Werror)
# Our code is built for size (the wizard is one program that travels on the medium);
# what carries the rows of an update asks for speed with qel_optimize_for_speed. Each
# function and datum gets a section of its own, so that the link can drop what nothing
# uses (on i686 only data and code without unwind tables, which the link always keeps).
set(QEL_OPTIMIZE $<$<CONFIG:Release>:-Os>)
set(QEL_SECTIONS -ffunction-sections -fdata-sections)

# A library of the project's own code.
function(qel_library name)
  add_library(${name} STATIC ${ARGN})
  qel_own_code(${name})
endfunction()

function(qel_own_code target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX,C>:${QEL_COMPILE_OPTIONS} ${QEL_WARNINGS} ${QEL_OPTIMIZE} ${QEL_SECTIONS}>)
  target_compile_definitions(${target} PUBLIC ${QEL_DEFINITIONS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# Sources (of the calling folder) on the path of the carry-over, where time per row counts.
function(qel_optimize_for_speed)
  set_source_files_properties(${ARGN} PROPERTIES COMPILE_OPTIONS $<$<CONFIG:Release>:-O3>)
endfunction()

# Every executable is self-contained: no runtime DLL beside it. Sections nothing refers
# to are dropped.
function(qel_static_link target)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
endfunction()
