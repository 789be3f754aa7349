# Debian packages, one a component (CPack's DEB generator): zyra-upgrader,
# libvx-zyra1 and libvx-zyra-dev. Build them with scripts/package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zyra-upgrader)
set(CPACK_PACKAGE_VENDOR "Corvane, LLC")
# A comma in the name would read as two contacts.
set(CPACK_PACKAGE_CONTACT "Corvane Support <support@corvane.example>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL upgrader runtime development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Depends from the binaries; the program's link to libvx_zyra is found in the
# build tree and, with the shlibs file of libvx-zyra1, reads libvx-zyra1 (= VERSION).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_UPGRADER_PACKAGE_NAME zyra-upgrader)
set(CPACK_DEBIAN_UPGRADER_PACKAGE_SECTION electronics)
# The windows name "Arial"; fonts-liberation's Liberation Sans has its
# metrics, which the forms are laid out for (without it fontconfig falls
# back to the wider DejaVu Sans).
set(CPACK_DEBIAN_UPGRADER_PACKAGE_DEPENDS "dfu-programmer, fonts-liberation")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libvx-zyra${VX_ZYRA_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# lintian wants the ldconfig trigger. Its warning maintscript-calls-ldconfig
# stays: CPack writes the ldconfig calls of postinst and postrm itself for a
# package with a shared library, and they only repeat what the trigger does.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/triggers)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libvx-zyra-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# vx_zyra.pc requires libusb-1.0 for pkg-config.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS libusb-1.0-0-dev)

include(CPack)

# No ";" in a description: CMake reads it as a list separator and the
# package's description ends there.
cpack_add_component(runtime DISPLAY_NAME "libvx_zyra"
  DESCRIPTION "USB command protocol of ZYRA wireless video-link units
libvx_zyra talks to ZYRA units over USB (libusb-1.0): sessions, firmware
updates of the radio application and MAC images, storage cells, pairing and
the XMEGA image checks. This package holds the shared library.")
cpack_add_component(development DISPLAY_NAME "libvx_zyra development files" DEPENDS runtime
  DESCRIPTION "USB command protocol of ZYRA units - development files
libvx_zyra talks to ZYRA units over USB (libusb-1.0). This package holds the
C header, the link name, vx_zyra.pc for pkg-config and the CMake package
(find_package(vx_zyra), target vx_zyra::vx_zyra).")
cpack_add_component(upgrader DISPLAY_NAME "ZYRA Utility" DEPENDS runtime
  DESCRIPTION "firmware updater for ZYRA wireless video-link units
The ZYRA Utility updates ZYRA units over USB from a firmware package folder:
the video module (with dfu-programmer), both radio images and the storage.
It also pairs receivers with transmitters. The udev rules give the
logged-in user access to the unit and to its video module's bootloader.")

# Every package carries its changelog and copyright file in its doc folder.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
set(_zyra_changelog_gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${_zyra_changelog_gz}
  COMMAND gzip -9nc ${CMAKE_CURRENT_BINARY_DIR}/changelog > ${_zyra_changelog_gz}
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog)
add_custom_target(zyra_debian_changelog ALL DEPENDS ${_zyra_changelog_gz})

# The copyright file in the machine-readable format, with the licence's text.
set(_zyra_copyright "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ZyraUpgrader
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}

Files: *
Copyright: 2026 Corvane, LLC
License: proprietary\n")
file(READ ${PROJECT_SOURCE_DIR}/ZyraUpgrader/licenses/LICENSE.TXT _zyra_licence)
string(STRIP "${_zyra_licence}" _zyra_licence)
string(REPLACE "\n" "\n " _zyra_licence " ${_zyra_licence}")
# Blank lines of the text become " ." lines; twice, for blank lines in a row.
foreach(pass 1 2)
  string(REPLACE "\n \n" "\n .\n" _zyra_licence "${_zyra_licence}")
endforeach()
string(APPEND _zyra_copyright "${_zyra_licence}\n .
 On Debian systems the licences named in section 6 are in
 /usr/share/common-licenses/LGPL-3, /usr/share/common-licenses/LGPL-2.1 and
 /usr/share/common-licenses/GPL-2.\n")
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/copyright CONTENT "${_zyra_copyright}" @ONLY)

foreach(component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${component} _zyra_component)
  install(FILES ${_zyra_changelog_gz} ${CMAKE_CURRENT_BINARY_DIR}/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_${_zyra_component}_PACKAGE_NAME}
    COMPONENT ${component})
endforeach()
