# RE2, cmdtail's regular expression engine, as the target re2::re2: natively Debian's libre2-dev, linked
# statically as the C++ runtime is; for Windows the same release, compiled here from Debian's source,
# which scripts/re2-source.sh puts in build-deps/re2. Included before the project's warning options,
# which are the project's own code's.
if(WIN32)
  set(re2_source ${PROJECT_SOURCE_DIR}/build-deps/re2)
  if(NOT EXISTS ${re2_source}/CMakeLists.txt)
    message(FATAL_ERROR "RE2's source is missing from ${re2_source}: run scripts/install-deps.sh")
  endif()
  set(RE2_BUILD_TESTING OFF CACHE BOOL "RE2's own tests" FORCE)
  add_subdirectory(${re2_source} ${CMAKE_BINARY_DIR}/re2 EXCLUDE_FROM_ALL SYSTEM)
else()
  find_path(RE2_INCLUDE_DIR re2/re2.h REQUIRED)
  find_library(RE2_LIBRARY NAMES libre2.a re2 REQUIRED)
  find_package(Threads REQUIRED)
  add_library(re2::re2 STATIC IMPORTED)
  set_target_properties(re2::re2 PROPERTIES IMPORTED_LOCATION ${RE2_LIBRARY})
  target_include_directories(re2::re2 SYSTEM INTERFACE ${RE2_INCLUDE_DIR})
  target_link_libraries(re2::re2 INTERFACE Threads::Threads)
endif()
