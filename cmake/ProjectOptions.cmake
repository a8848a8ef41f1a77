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

function(tessmark_target_options target)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:${TESSMARK_WARNINGS}>)
endfunction()

# A program with a wide entry point (wmain / wWinMain).
function(tessmark_unicode_entry target)
  target_link_options(${target} PRIVATE -municode)
endfunction()
