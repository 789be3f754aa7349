# The ZyraUpgrader program: its windows as a static library that the tests
# link too, the pictures as resources, and the executable around them.
find_package(Qt5 REQUIRED COMPONENTS Widgets)

add_library(zyra_gui STATIC
  aboutdialog.cpp aboutdialog.h aboutdialog.ui
  channelplan.cpp channelplan.h
  commstaskdialog.cpp commstaskdialog.h
  commstaskhost.cpp commstaskhost.h
  configfreqchannelsdialog.cpp configfreqchannelsdialog.h configfreqchannelsdialog.ui
  configtransmissionmodedialog.cpp configtransmissionmodedialog.h configtransmissionmodedialog.ui
  configuration.cpp configuration.h configuration.ui
  dashboard.cpp dashboard.h dashboard.ui
  instructionsdialog.cpp instructionsdialog.h instructionsdialog.ui
  modeselectiondialog.cpp modeselectiondialog.h modeselectiondialog.ui
  pair2kstep1dialog.cpp pair2kstep1dialog.h pair2kstep1dialog.ui
  pair2kstep3dialog.cpp pair2kstep3dialog.h pair2kstep3dialog.ui
  pairdialog.cpp pairdialog.h pairdialog.ui
  pairerrordialog.cpp pairerrordialog.h pairerrordialog.ui
  screens.h
  transmissionmode.h
  txrxdialog.cpp txrxdialog.h txrxdialog.ui
  workerexit.cpp workerexit.h
  zyracommsthread.cpp zyracommsthread.h)
set_target_properties(zyra_gui PROPERTIES AUTOMOC ON AUTOUIC ON)
target_include_directories(zyra_gui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(zyra_gui PUBLIC zyra_worker vx_zyra Qt5::Widgets)

# Object files, not an archive: every program and test that links this gets
# the resources registered without Q_INIT_RESOURCE.
include(${CMAKE_CURRENT_SOURCE_DIR}/Images/images.cmake)
qt5_add_resources(ZYRA_IMAGES_RCC ${ZYRA_IMAGES_QRC})
add_library(zyra_gui_images OBJECT ${ZYRA_IMAGES_RCC})
add_dependencies(zyra_gui_images zyra_images)

add_executable(ZyraUpgrader main.cpp)
target_link_libraries(ZyraUpgrader PRIVATE zyra_gui zyra_gui_images)
