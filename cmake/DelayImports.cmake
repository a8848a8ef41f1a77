# Delay-loaded system libraries: the program imports them as usual, but the loader maps each one
# only when its first function is called. The start page needs none of them (the downloaders,
# the network check, the folder chooser, the rich text and image helpers come later), and every
# library mapped before the first paint delays it.

# Makes the delay-import library lib<name>.a in `dir` for the functions `exports` of `dll`
# (without ".dll"), each named as in a .def file ("timeGetTime", on i686 "timeGetTime@0").
# A call that the library's first use cannot bind (the library or the function missing) raises
# the delay-load helper's exception, which names both.
function(tessmark_delay_import_library dir name dll)
  if(EXISTS "${dir}/lib${name}.a")
    return()
  endif()
  # Made in a folder of its own and moved at the end: a library in `dir` is a finished one.
  # (dlltool names the library's symbols after its file, so the file has its final name.)
  set(work "${dir}/making-${name}")
  file(REMOVE_RECURSE "${work}")
  file(MAKE_DIRECTORY "${work}")
  string(JOIN "\n" def "LIBRARY ${dll}.dll" "EXPORTS" ${ARGN})
  file(WRITE "${work}/${name}.def" "${def}\n")
  execute_process(COMMAND ${CMAKE_DLLTOOL} --kill-at -d ${name}.def -D ${dll}.dll
                          --output-delaylib lib${name}.a
                  WORKING_DIRECTORY "${work}" COMMAND_ERROR_IS_FATAL ANY)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # The 32-bit GNU ld drops the code section of an import-library member when nothing calls
    # its function by name: a caller declared dllimport calls through the __imp_ slot, so the
    # plain "jmp *__imp_Name" stub is dead code. A delay-import member's slot starts out
    # pointing into that same code (the part that calls the loader), and with the code dropped
    # the slot stays 0. The linker only drops code sections, so the stubs go into a section
    # marked as data, which lands in the program's .text all the same.
    execute_process(COMMAND ${CMAKE_OBJCOPY} "--rename-section"
                            ".text=.text$delay_stub,alloc,load,readonly,contents,data" lib${name}.a
                    WORKING_DIRECTORY "${work}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(RENAME "${work}/lib${name}.a" "${dir}/lib${name}.a")
  file(REMOVE_RECURSE "${work}")
endfunction()

# Makes a delay-import library for each `dll` (e.g. winhttp) from the toolchain's import library,
# under the same name in a folder of its own that `target`'s link searches first: every "-lwinhttp"
# of the libraries below then finds it, wherever the link line names it.
function(tessmark_delay_load target)
  set(dir "${CMAKE_BINARY_DIR}/delay_imports")
  file(MAKE_DIRECTORY "${dir}")
  foreach(dll IN LISTS ARGN)
    if(NOT EXISTS "${dir}/lib${dll}.a")
      find_library(import_lib_${dll} NAMES lib${dll}.a NO_CACHE REQUIRED)
      execute_process(COMMAND ${CMAKE_NM} -g "${import_lib_${dll}}" OUTPUT_VARIABLE symbols
                      COMMAND_ERROR_IS_FATAL ANY)
      # "__imp_Name" (x86_64) or "__imp__Name@N" (i686): the exports, decorated as the callers see them.
      string(REGEX MATCHALL "I __imp__?[A-Za-z0-9_@]+" imports "${symbols}")
      set(exports "")
      foreach(import IN LISTS imports)
        # Drop "I __imp_" and, on i686, the one underscore the C names carry ("___WSAFDIsSet@8"
        # is the export "__WSAFDIsSet@8").
        set(skip 8)
        if(CMAKE_SIZEOF_VOID_P EQUAL 4)
          set(skip 9)
        endif()
        string(SUBSTRING "${import}" ${skip} -1 name)
        list(APPEND exports "${name}")
      endforeach()
      tessmark_delay_import_library("${dir}" ${dll} ${dll} ${exports})
    endif()
    # Found by the search path, not named on the link line: a library made anew relinks all the same.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${dir}/lib${dll}.a")
  endforeach()
  target_link_directories(${target} BEFORE PRIVATE "${dir}")
endfunction()
