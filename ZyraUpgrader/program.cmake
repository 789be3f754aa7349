# The ZyraUpgrader program: the pictures as resources and the executable
# around the windows.

# Object files, not an archive: every program and test that links this gets
# the resources registered without Q_INIT_RESOURCE.
include(${CMAKE_CURRENT_SOURCE_DIR}/Images/images.cmake)
qt5_add_resources(ZYRA_IMAGES_RCC ${ZYRA_IMAGES_QRC})
add_library(zyra_gui_images OBJECT ${ZYRA_IMAGES_RCC})
add_dependencies(zyra_gui_images zyra_images)

add_executable(ZyraUpgrader main.cpp)
target_link_libraries(ZyraUpgrader PRIVATE zyra_windows zyra_gui_images)
