# daylog_windows_resources(TARGET DESCRIPTION): on Windows, gives the executable TARGET.exe a version
# resource (the project's version, DESCRIPTION, product and company name "daylog") and the
# application manifest in cmake/program.manifest. Does nothing elsewhere.
function(daylog_windows_resources target description)
  if(NOT WIN32)
    return()
  endif()
  set(manifest ${PROJECT_SOURCE_DIR}/cmake/program.manifest)
  set(resources ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/program.rc.in ${resources} @ONLY)
  # The resource compiler reads the manifest, which CMake cannot see in the .rc.
  set_source_files_properties(${resources} PROPERTIES OBJECT_DEPENDS ${manifest})
  target_sources(${target} PRIVATE ${resources})
endfunction()
