# hushdesk_install_manpage(<page>.1): compressed as Debian installs manual
# pages (-n: no time stamp inside, so two builds give the same bytes) and
# installed in man1. The target hushdesk-docs builds every generated file
# that `cmake --install` installs beside the programs, for builds of a few
# targets that install afterwards (Setup's sample medium, try-setup).
add_custom_target(hushdesk-docs ALL)

function(hushdesk_install_manpage page)
  get_filename_component(name ${page} NAME)
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND gzip -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/${page} > ${compressed}
    DEPENDS ${page} VERBATIM)
  add_custom_target(${name}-manpage DEPENDS ${compressed})
  add_dependencies(hushdesk-docs ${name}-manpage)
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
