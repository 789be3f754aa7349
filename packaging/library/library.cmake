# libvx_zyra for other programs: the runtime library, and for building against
# it the header, the link name, vx_zyra.pc and the CMake package
# (find_package(vx_zyra), target vx_zyra::vx_zyra).
include(CMakePackageConfigHelpers)

set(_zyra_cmake_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/vx_zyra)

install(TARGETS vx_zyra EXPORT vx_zyraTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES
  ${PROJECT_SOURCE_DIR}/lib/include/vx_zyra.h
  ${PROJECT_BINARY_DIR}/lib/include/vx_zyra_version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

install(EXPORT vx_zyraTargets NAMESPACE vx_zyra::
  DESTINATION ${_zyra_cmake_package_dir} COMPONENT development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/vx_zyraConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/vx_zyraConfig.cmake
  INSTALL_DESTINATION ${_zyra_cmake_package_dir})
# The SONAME changes with the major version, so only that must match.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/vx_zyraConfigVersion.cmake
  VERSION ${VX_ZYRA_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/vx_zyraConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/vx_zyraConfigVersion.cmake
  DESTINATION ${_zyra_cmake_package_dir} COMPONENT development)

# The .pc file finds its prefix from its own place, so a staged or
# relocated tree answers with its own folders.
file(RELATIVE_PATH ZYRA_PC_PREFIX_FROM_PCFILEDIR
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" ZYRA_PC_PREFIX_FROM_PCFILEDIR "${ZYRA_PC_PREFIX_FROM_PCFILEDIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/vx_zyra.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vx_zyra.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vx_zyra.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
