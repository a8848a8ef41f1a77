# Compile and link settings shared by every target of the project (not by the dependencies).

# Every wide format in the project uses %ls for wide strings, which means the same under the
# MinGW C99 printf family and the Microsoft one; libstdc++ selects the former.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601)

set(TESSMARK_WARNINGS -Wall -Wextra -Wshadow=local -Wno-cast-function-type -Wno-missing-field-initializers)
if(TESSMARK_WERROR)
  list(APPEND TESSMARK_WARNINGS -Werror)
endif()

# Static runtime: the installer is one file that runs on a bare Windows.
add_link_options(-static -static-libgcc -static-libstdc++)

# Every user downloads the installer before anything else: each function and datum in a section
# of its own, so that the linker drops what no program calls (the framework's unused controls,
# the parts of the runtime and libcurl that nothing reaches).
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffunction-sections> $<$<COMPILE_LANGUAGE:C,CXX>:-fdata-sections>)
add_link_options(-Wl,--gc-sections)
# ... and code for size: the program waits on the network and on the package's own installer,
# never on its own loops.
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")

# The 32-bit build computes with SSE2, as the 64-bit one does: the x87 unit's longer format kept
# digits that a double drops, and the progress bar showed 34 % where the x86_64 build shows 35 %
# (a download half done, of a 0.7 share) and 69 % at the download's end. SSE2 is on every x86
# processor of the last twenty years (Windows 8 and later need it); GCC realigns the stack where
# SSE needs it (-mstackrealign is this target's default), as Windows keeps only 4 bytes.
# The link of the installer compiles again (link-time optimisation, below): it gets the same.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-msse2> $<$<COMPILE_LANGUAGE:C,CXX>:-mfpmath=sse>)
  add_link_options(-msse2 -mfpmath=sse)
endif()

# The installer is linked with link-time optimisation: the compiler drops what nothing calls and
# inlines across files. --gc-sections alone cannot drop C++ functions here, as MinGW's linker
# script keeps every .eh_frame section and each one keeps alive the functions it describes. The
# objects carry both the intermediate code and machine code, so every other program (the tests,
# the tools) links as before without it (-fno-lto), in seconds. GCC 12 for MinGW fails inside LTO
# on the aliases that -Os makes for the variants of constructors and destructors
# (-fdeclone-ctor-dtor, "internal compiler error: in binds_to_current_def_p"): none are made.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-flto> $<$<COMPILE_LANGUAGE:C,CXX>:-ffat-lto-objects>
                    $<$<COMPILE_LANGUAGE:C,CXX>:-fno-declone-ctor-dtor>)
# A -fno-lto anywhere on a link line wins over a later -flto, so a program that is optimised at
# link time does not get it at all.
add_link_options($<$<NOT:$<BOOL:$<TARGET_PROPERTY:TESSMARK_LINK_TIME_OPTIMISED>>>:-fno-lto>)
function(tessmark_link_time_optimisation target)
  set_target_properties(${target} PROPERTIES TESSMARK_LINK_TIME_OPTIMISED ON)
  # Four jobs at most: the machine is shared with other builds.
  target_link_options(${target} PRIVATE -flto=4 -fno-declone-ctor-dtor)
endfunction()

function(tessmark_target_options target)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:${TESSMARK_WARNINGS}>)
endfunction()

# A program with a wide entry point (wmain / wWinMain).
function(tessmark_unicode_entry target)
  target_link_options(${target} PRIVATE -municode)
endfunction()
