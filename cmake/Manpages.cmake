# Manual pages: man/<name>.<section>.scd (scdoc's source form) -> build/man/<name>.<section>.
option(TALLIS_MANPAGES "Build and install the manual pages (needs scdoc)" ON)
if(TALLIS_MANPAGES)
  find_program(SCDOC scdoc)
  if(NOT SCDOC)
    message(FATAL_ERROR "scdoc not found: run scripts/install-deps.sh, or configure with -DTALLIS_MANPAGES=OFF")
  endif()
  file(GLOB man_sources ${CMAKE_SOURCE_DIR}/man/*.scd)
  set(man_pages)
  foreach(source ${man_sources})
    get_filename_component(page ${source} NAME_WLE)  # xaphub.8
    string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
    set(output ${CMAKE_BINARY_DIR}/man/${page})
    # Installed compressed, as Debian wants them (gzip -n: no name or time stamp, so
    # the same source gives the same bytes).
    add_custom_command(OUTPUT ${output} ${output}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${SCDOC} < ${source} > ${output}
      COMMAND gzip -9n < ${output} > ${output}.gz
      DEPENDS ${source}
      COMMENT "Manual page ${page}"
      VERBATIM)
    list(APPEND man_pages ${output} ${output}.gz)
    install(FILES ${output}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${man_pages})
endif()
