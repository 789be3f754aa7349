# The boot agents compiled into vx_zyra. Without ZYRA_BOOT_AGENT_DIR the
# build generates stand-ins of the right shape and size; a packager who has
# the vendor's agents points ZYRA_BOOT_AGENT_DIR at a directory holding
# tx_boot_agent.hex and rx_boot_agent.hex (line-feed-separated, beginning
# with a line feed, exactly 12013 and 10749 bytes) and they are embedded.
set(ZYRA_BOOT_AGENT_DIR "" CACHE PATH
  "Directory with the vendor's tx_boot_agent.hex and rx_boot_agent.hex (empty: generated stand-ins)")

add_executable(zyra_boot_agent_gen ${CMAKE_CURRENT_LIST_DIR}/agent_gen/boot_agent_gen.cpp)
target_include_directories(zyra_boot_agent_gen PRIVATE $<TARGET_PROPERTY:vx_zyra,INTERFACE_INCLUDE_DIRECTORIES>)
target_link_libraries(zyra_boot_agent_gen PRIVATE zyra_formats)

set(ZYRA_BOOT_AGENT_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/boot_agents.cpp CACHE INTERNAL "Generated source of the boot agents")
if(ZYRA_BOOT_AGENT_DIR)
  set(tx_agent ${ZYRA_BOOT_AGENT_DIR}/tx_boot_agent.hex)
  set(rx_agent ${ZYRA_BOOT_AGENT_DIR}/rx_boot_agent.hex)
  add_custom_command(OUTPUT ${ZYRA_BOOT_AGENT_SOURCE}
    COMMAND zyra_boot_agent_gen embed ${tx_agent} ${rx_agent} ${ZYRA_BOOT_AGENT_SOURCE}
    DEPENDS zyra_boot_agent_gen ${tx_agent} ${rx_agent}
    COMMENT "Embedding the boot agents from ${ZYRA_BOOT_AGENT_DIR}"
    VERBATIM)
  message(STATUS "Boot agents: embedded from ${ZYRA_BOOT_AGENT_DIR}")
else()
  add_custom_command(OUTPUT ${ZYRA_BOOT_AGENT_SOURCE}
    COMMAND zyra_boot_agent_gen generate ${ZYRA_BOOT_AGENT_SOURCE}
    DEPENDS zyra_boot_agent_gen
    COMMENT "Generating stand-in boot agents"
    VERBATIM)
  message(STATUS "Boot agents: generated stand-ins")
endif()
target_sources(vx_zyra PRIVATE ${ZYRA_BOOT_AGENT_SOURCE})
