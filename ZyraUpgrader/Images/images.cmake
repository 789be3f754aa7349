# Pictures of the ZyraUpgrader program.
#
# The SVG files beside this one are the sources; this file renders them at build
# time into the build tree (PNG at 1x and 2x, the icon's .ico and .icns) and
# writes the Qt resource file that lists them. The busy indicator is painted
# by the program (windows/spinner.h).
#
# Use it from the program's CMakeLists.txt with include() (not add_subdirectory):
#
#   include(${CMAKE_SOURCE_DIR}/ZyraUpgrader/Images/images.cmake)
#   qt5_add_resources(ZYRA_IMAGES_RCC ${ZYRA_IMAGES_QRC})
#   add_executable(ZyraUpgrader ... ${ZYRA_IMAGES_RCC})
#   add_dependencies(ZyraUpgrader zyra_images)
#
# It defines, in the including scope:
#   ZYRA_IMAGES_QRC    the generated .qrc, written when configuring; its files are
#                      ":/myresources/Images/<name>" (with "<name>@2x.png" beside
#                      each picture), ":/icons/Images/appIcon.png" (and @2x),
#                      ":/icons/Images/appIcon.ico", ":/icons/Images/appIcon.icns".
#   ZYRA_IMAGES_FILES  the rendered files the .qrc lists.
#   zyra_images        a target that renders them all.
# and, for installing the icon, the cache entries
#   ZYRA_IMAGES_ICON_SIZES  the sizes of the renderings
#                           ${CMAKE_BINARY_DIR}/zyra_images/work/appIcon-<size>.png,
#   and ${CMAKE_BINARY_DIR}/zyra_images/appIcon-scalable.svg, the drawing with
#   its style sheet and parts drawn in.
#
# Tools: rsvg-convert (librsvg2-bin), ImageMagick's convert (imagemagick),
# png2icns (icnsutils); the texts need the fonts "Liberation Sans" or "DejaVu Sans".

include_guard(GLOBAL)

find_program(ZYRA_RSVG_CONVERT rsvg-convert REQUIRED)
# Another program named "convert" may come first on PATH; ImageMagick's is the
# one the distribution installs in /usr/bin.
find_program(ZYRA_IMAGEMAGICK_CONVERT convert PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
find_program(ZYRA_PNG2ICNS png2icns REQUIRED)

set(_ZYRA_IMAGES_SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}")
# The square sizes the icon is rendered at (for the .ico, the .icns and the
# desktop's icon theme).
set(ZYRA_IMAGES_ICON_SIZES 16 24 32 48 64 128 256 512 CACHE INTERNAL "")

# Pictures rendered one to one from <name>.svg to <name>.png.
set(_ZYRA_IMAGES_PICTURES
  hdmi_tx_update hdmi_tx_recovery
  sdi_tx_update sdi_tx_recovery
  hdmi_rx_update hdmi_rx_recovery
  sdi_rx_update sdi_rx_recovery
  sdi_2k_tx_update sdi_2k_tx_recovery
  sdi_2k_rx_update sdi_2k_rx_recovery
  device_select_all zyra_logo warning thumbs-up
  hdmi_rx_pairing sdi_rx_pairing sdi_2k_rx_pairing
  sdi_2k_rx_pairing_s1 sdi_2k_rx_pairing_s2)

function(_zyra_images_add_rendering output source)
  add_custom_command(OUTPUT "${output}"
    COMMAND "${ZYRA_RSVG_CONVERT}" --format=png ${ARGN} --output "${output}" "${source}"
    DEPENDS "${source}" ${_ZYRA_IMAGES_SHARED}
    COMMENT "Rendering ${output}"
    VERBATIM)
endfunction()

function(_zyra_images_add_icon output_dir work_dir)
  set(source "${_ZYRA_IMAGES_SOURCE_DIR}/appIcon.svg")
  _zyra_images_add_rendering("${output_dir}/appIcon.png" "${source}" --width=128 --height=128)
  _zyra_images_add_rendering("${output_dir}/appIcon@2x.png" "${source}" --width=256 --height=256)
  # The desktop's icon theme takes a self-contained drawing: the style sheet
  # and the shared parts are drawn in.
  add_custom_command(OUTPUT "${output_dir}/appIcon-scalable.svg"
    COMMAND "${ZYRA_RSVG_CONVERT}" --format=svg --output "${output_dir}/appIcon-scalable.svg" "${source}"
    DEPENDS "${source}" ${_ZYRA_IMAGES_SHARED}
    COMMENT "Rendering ${output_dir}/appIcon-scalable.svg"
    VERBATIM)
  foreach(size ${ZYRA_IMAGES_ICON_SIZES})
    set(sized_${size} "${work_dir}/appIcon-${size}.png")
    _zyra_images_add_rendering("${sized_${size}}" "${source}" --width=${size} --height=${size})
  endforeach()

  set(ico_sizes ${sized_16} ${sized_24} ${sized_32} ${sized_48} ${sized_64} ${sized_256})
  add_custom_command(OUTPUT "${output_dir}/appIcon.ico"
    COMMAND "${ZYRA_IMAGEMAGICK_CONVERT}" ${ico_sizes} "${output_dir}/appIcon.ico"
    DEPENDS ${ico_sizes}
    COMMENT "Packing ${output_dir}/appIcon.ico"
    VERBATIM)

  set(icns_sizes ${sized_16} ${sized_32} ${sized_48} ${sized_128} ${sized_256} ${sized_512})
  add_custom_command(OUTPUT "${output_dir}/appIcon.icns"
    COMMAND "${ZYRA_PNG2ICNS}" "${output_dir}/appIcon.icns" ${icns_sizes}
    DEPENDS ${icns_sizes}
    COMMENT "Packing ${output_dir}/appIcon.icns"
    VERBATIM)
endfunction()

function(_zyra_images_write_qrc qrc pictures icons)
  set(content "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n")
  string(APPEND content "  <qresource prefix=\"/myresources/Images\">\n")
  foreach(name IN LISTS pictures)
    string(APPEND content "    <file>${name}</file>\n")
  endforeach()
  string(APPEND content "  </qresource>\n  <qresource prefix=\"/icons/Images\">\n")
  foreach(name IN LISTS icons)
    string(APPEND content "    <file>${name}</file>\n")
  endforeach()
  string(APPEND content "  </qresource>\n</RCC>\n")
  # Rewritten only when it changes, so configuring again does not rebuild the resources.
  file(CONFIGURE OUTPUT "${qrc}" CONTENT "${content}" @ONLY)
endfunction()

function(_zyra_images_define)
  set(output_dir "${CMAKE_BINARY_DIR}/zyra_images")
  set(work_dir "${output_dir}/work")
  file(MAKE_DIRECTORY "${work_dir}")

  # Every picture draws on the shared parts and style sheet.
  set(_ZYRA_IMAGES_SHARED
    "${_ZYRA_IMAGES_SOURCE_DIR}/zyra.css"
    "${_ZYRA_IMAGES_SOURCE_DIR}/parts-units.svg"
    "${_ZYRA_IMAGES_SOURCE_DIR}/parts-scene.svg"
    "${_ZYRA_IMAGES_SOURCE_DIR}/parts-connect.svg"
    "${_ZYRA_IMAGES_SOURCE_DIR}/parts-pairing.svg")

  # Each picture also at twice the size, "<name>@2x.png", for screens that Qt
  # scales by 2 (see highdpi.h).
  set(pictures)
  foreach(name IN LISTS _ZYRA_IMAGES_PICTURES)
    _zyra_images_add_rendering("${output_dir}/${name}.png" "${_ZYRA_IMAGES_SOURCE_DIR}/${name}.svg")
    _zyra_images_add_rendering("${output_dir}/${name}@2x.png" "${_ZYRA_IMAGES_SOURCE_DIR}/${name}.svg" --zoom=2)
    list(APPEND pictures "${name}.png" "${name}@2x.png")
  endforeach()
  _zyra_images_add_icon("${output_dir}" "${work_dir}")
  set(icons appIcon.png appIcon@2x.png appIcon.ico appIcon.icns)

  set(qrc "${output_dir}/zyra_images.qrc")
  _zyra_images_write_qrc("${qrc}" "${pictures}" "${icons}")

  set(files ${pictures} ${icons})
  list(TRANSFORM files PREPEND "${output_dir}/")
  add_custom_target(zyra_images DEPENDS ${files} "${output_dir}/appIcon-scalable.svg")

  set(ZYRA_IMAGES_QRC "${qrc}" PARENT_SCOPE)
  set(ZYRA_IMAGES_FILES ${files} PARENT_SCOPE)
endfunction()

_zyra_images_define()
