# Imported targets for the cross-built dependencies (scripts/build-deps.sh fills the cache and
# records in build/deps.cmake which cache entries this clone uses) and for the ones Debian ships
# ready for MinGW (zlib, stb_image).

set(_deps_record "${PROJECT_SOURCE_DIR}/build/deps.cmake")
if(NOT EXISTS "${_deps_record}")
  message(FATAL_ERROR "No record of the dependencies in ${_deps_record}: run scripts/build-deps.sh")
endif()
include("${_deps_record}")
# A new record (another recipe, another cache) reconfigures the build folders.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_deps_record}")
set(_triplet "${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32")

function(_tessmark_dep name)
  set(root "${TESSMARK_DEP_${name}}/${_triplet}")
  if(NOT TESSMARK_DEP_${name} OR NOT EXISTS "${root}/.built")
    message(FATAL_ERROR "Dependency ${name} is missing in ${root}: run scripts/build-deps.sh")
  endif()
  set(_dep_root "${root}" PARENT_SCOPE)
endfunction()

# libcurl, static, plain HTTP and file:// only.
_tessmark_dep(curl)
add_library(deps::curl STATIC IMPORTED GLOBAL)
set_target_properties(deps::curl PROPERTIES
  IMPORTED_LOCATION "${_dep_root}/lib/libcurl.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_dep_root}/include"
  INTERFACE_COMPILE_DEFINITIONS "CURL_STATICLIB"
  INTERFACE_LINK_LIBRARIES "ws2_32;wldap32;crypt32;bcrypt;advapi32")

_tessmark_dep(jsoncpp)
add_library(deps::jsoncpp STATIC IMPORTED GLOBAL)
set_target_properties(deps::jsoncpp PROPERTIES
  IMPORTED_LOCATION "${_dep_root}/lib/libjsoncpp.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_dep_root}/include")

find_library(TESSMARK_ZLIB NAMES libz.a z REQUIRED)
find_path(TESSMARK_ZLIB_INCLUDE zlib.h REQUIRED)
add_library(deps::zlib STATIC IMPORTED GLOBAL)
set_target_properties(deps::zlib PROPERTIES
  IMPORTED_LOCATION "${TESSMARK_ZLIB}"
  INTERFACE_INCLUDE_DIRECTORIES "${TESSMARK_ZLIB_INCLUDE}")

_tessmark_dep(minizip)
add_library(deps::minizip STATIC IMPORTED GLOBAL)
set_target_properties(deps::minizip PROPERTIES
  IMPORTED_LOCATION "${_dep_root}/lib/libminizip.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_dep_root}/include"
  INTERFACE_COMPILE_DEFINITIONS "NOCRYPT;NOUNCRYPT;USE_FILE32API"
  INTERFACE_LINK_LIBRARIES deps::zlib)

# The LZMA SDK's C decoder (7z archives); headers under <lzma/...>.
_tessmark_dep(lzma)
add_library(deps::lzma STATIC IMPORTED GLOBAL)
set_target_properties(deps::lzma PROPERTIES
  IMPORTED_LOCATION "${_dep_root}/lib/liblzma-sdk.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_dep_root}/include")

# stb_image is a header; Debian keeps it outside the MinGW sysroot.
add_library(deps::stb INTERFACE IMPORTED GLOBAL)
set_target_properties(deps::stb PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "/usr/include/stb")

_tessmark_dep(googletest)
add_library(deps::gtest STATIC IMPORTED GLOBAL)
set_target_properties(deps::gtest PROPERTIES
  IMPORTED_LOCATION "${_dep_root}/lib/libgtest.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_dep_root}/include")
add_library(deps::gtest_main STATIC IMPORTED GLOBAL)
set_target_properties(deps::gtest_main PROPERTIES
  IMPORTED_LOCATION "${_dep_root}/lib/libgtest_main.a"
  INTERFACE_LINK_LIBRARIES deps::gtest)
add_library(deps::gmock STATIC IMPORTED GLOBAL)
set_target_properties(deps::gmock PROPERTIES
  IMPORTED_LOCATION "${_dep_root}/lib/libgmock.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_dep_root}/include"
  INTERFACE_LINK_LIBRARIES deps::gtest)
