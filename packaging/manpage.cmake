# zyra_install_man_page(SOURCE COMPONENT): installs the roff page SOURCE
# (named <name>.<section>) compressed, as the distribution keeps man pages,
# in man<section> of COMPONENT. Included at the top so that every folder can
# install its page.
include_guard(GLOBAL)

function(zyra_install_man_page source component)
  get_filename_component(name "${source}" NAME)
  string(REGEX MATCH "[0-9]$" section "${name}")
  set(compressed "${CMAKE_BINARY_DIR}/man/${name}.gz")
  # -n keeps the name and time out, so the page is the same on every build.
  add_custom_command(OUTPUT "${compressed}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/man"
    COMMAND gzip -9nc "${source}" > "${compressed}"
    DEPENDS "${source}"
    COMMENT "Compressing ${name}")
  add_custom_target(zyra_man_${name} ALL DEPENDS "${compressed}")
  install(FILES "${compressed}" DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT ${component})
endfunction()
