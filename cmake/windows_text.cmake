# daylog_windows_text(INPUT OUTPUT): OUTPUT is made at build time as a copy of the UTF-8 text INPUT for
# Windows users, as Notepad saves UTF-8: CR LF line ends, and a byte order mark first.
function(daylog_windows_text input output)
  set(copier ${PROJECT_SOURCE_DIR}/cmake/windows_text_copy.cmake)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DIN=${input} -DOUT=${output} -P ${copier}
    DEPENDS ${input} ${copier}
    VERBATIM)
endfunction()
