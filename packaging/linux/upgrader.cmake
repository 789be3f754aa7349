# The upgrader component: the window program in its private folder with its
# licence, and what the desktop and udev need to find and run it.

# The program finds libvx_zyra relative to itself wherever the tree goes.
file(RELATIVE_PATH _zyra_libdir_from_program
  /prefix/${ZYRA_PRIVATE_DIR}/bin /prefix/${CMAKE_INSTALL_LIBDIR})
set_target_properties(ZyraUpgrader PROPERTIES INSTALL_RPATH "$ORIGIN/${_zyra_libdir_from_program}")
install(TARGETS ZyraUpgrader RUNTIME DESTINATION ${ZYRA_PRIVATE_DIR}/bin COMPONENT upgrader)
install(FILES ${PROJECT_SOURCE_DIR}/ZyraUpgrader/licenses/LICENSE.TXT
  DESTINATION ${ZYRA_PRIVATE_DIR}/licenses COMPONENT upgrader)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/70-zyra.rules DESTINATION ${ZYRA_UDEV_RULES_DIR} COMPONENT upgrader)

configure_file(${CMAKE_CURRENT_LIST_DIR}/zyra-upgrader.desktop.in ${CMAKE_CURRENT_BINARY_DIR}/${ZYRA_APP_ID}.desktop @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${ZYRA_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT upgrader)
configure_file(${CMAKE_CURRENT_LIST_DIR}/metainfo.xml.in ${CMAKE_CURRENT_BINARY_DIR}/${ZYRA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${ZYRA_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT upgrader)

set(_zyra_icons_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
foreach(size IN LISTS ZYRA_IMAGES_ICON_SIZES)
  install(FILES ${CMAKE_BINARY_DIR}/zyra_images/work/appIcon-${size}.png
    DESTINATION ${_zyra_icons_dir}/${size}x${size}/apps RENAME ${ZYRA_APP_ID}.png COMPONENT upgrader)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/zyra_images/appIcon-scalable.svg
  DESTINATION ${_zyra_icons_dir}/scalable/apps RENAME ${ZYRA_APP_ID}.svg COMPONENT upgrader)

zyra_install_man_page(${CMAKE_CURRENT_LIST_DIR}/zyra-upgrader.1 upgrader)
