# Delay-loaded system libraries: the program imports them as usual, but the loader maps each one
# only when its first function is called. The start page needs none of them (the downloaders,
# the network check, the folder chooser, the rich text and image helpers come later), and every
# library mapped before the first paint delays it.

# Makes a delay-import library for each `dll` (e.g. winhttp) from the toolchain's import library,
# under the same name in a folder of its own that `target`'s link searches first: every "-lwinhttp"
# of the libraries below then finds it, wherever the link line names it.
function(tessmark_delay_load target)
  set(dir "${CMAKE_BINARY_DIR}/delay_imports")
  file(MAKE_DIRECTORY "${dir}")
  foreach(dll IN LISTS ARGN)
    set(delaylib "${dir}/lib${dll}.a")
    if(NOT EXISTS "${delaylib}")
      find_library(import_lib_${dll} NAMES lib${dll}.a NO_CACHE REQUIRED)
      execute_process(COMMAND ${CMAKE_NM} -g "${import_lib_${dll}}" OUTPUT_VARIABLE symbols
                      COMMAND_ERROR_IS_FATAL ANY)
      # "__imp_Name" (x86_64) or "__imp__Name@N" (i686): the exports, decorated as the callers see them.
      string(REGEX MATCHALL "I __imp__?[A-Za-z0-9_@]+" imports "${symbols}")
      set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
      foreach(import IN LISTS imports)
        # Drop "I __imp_" and, on i686, the one underscore the C names carry ("___WSAFDIsSet@8"
        # is the export "__WSAFDIsSet@8").
        set(skip 8)
        if(CMAKE_SIZEOF_VOID_P EQUAL 4)
          set(skip 9)
        endif()
        string(SUBSTRING "${import}" ${skip} -1 name)
        string(APPEND def "${name}\n")
      endforeach()
      file(WRITE "${dir}/${dll}.def" "${def}")
      execute_process(COMMAND ${CMAKE_DLLTOOL} --kill-at -d "${dir}/${dll}.def" -D ${dll}.dll
                              --output-delaylib "${delaylib}"
                      WORKING_DIRECTORY "${dir}" COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endforeach()
  target_link_directories(${target} BEFORE PRIVATE "${dir}")
endfunction()
