# The boot agents compiled into vx_zyra, for units whose bootloader is 2.0.5
# or older. A packager who has the vendor's agents points
# ZYRA_BOOT_AGENT_DIR at a directory holding tx_boot_agent.hex and
# rx_boot_agent.hex (line-feed-separated, beginning with a line feed,
# exactly 12013 and 10749 bytes) and they are embedded. Without them the
# library carries empty texts and refuses such a unit before erasing it.
# Generated stand-ins of the agents' shape exist for the tests only: they
# are random code to a unit, so no package may carry them.
set(ZYRA_BOOT_AGENT_DIR "" CACHE PATH
  "Directory with the vendor's tx_boot_agent.hex and rx_boot_agent.hex (empty: no agents)")
option(ZYRA_STAND_IN_BOOT_AGENTS "Embed generated stand-in boot agents, for the tests; never for a unit" OFF)
if(ZYRA_BOOT_AGENT_DIR AND ZYRA_STAND_IN_BOOT_AGENTS)
  message(FATAL_ERROR "ZYRA_BOOT_AGENT_DIR and ZYRA_STAND_IN_BOOT_AGENTS exclude each other")
endif()

add_executable(zyra_boot_agent_gen ${CMAKE_CURRENT_LIST_DIR}/agent_gen/boot_agent_gen.cpp)
target_include_directories(zyra_boot_agent_gen PRIVATE $<TARGET_PROPERTY:vx_zyra,INTERFACE_INCLUDE_DIRECTORIES>)
target_include_directories(zyra_boot_agent_gen PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../include_private)
target_link_libraries(zyra_boot_agent_gen PRIVATE zyra_formats)

# zyra_add_boot_agents(target output mode): the generated source of the
# agents (mode none, generate or embed) added to target.
function(zyra_add_boot_agents target output mode)
  set(inputs)
  set(arguments ${mode})
  if(mode STREQUAL "embed")
    set(inputs ${ZYRA_BOOT_AGENT_DIR}/tx_boot_agent.hex ${ZYRA_BOOT_AGENT_DIR}/rx_boot_agent.hex)
    list(APPEND arguments ${inputs})
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND zyra_boot_agent_gen ${arguments} ${output}
    DEPENDS zyra_boot_agent_gen ${inputs}
    COMMENT "Boot agents of ${target}: ${mode}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()

if(ZYRA_BOOT_AGENT_DIR)
  set(ZYRA_BOOT_AGENT_MODE embed)
  message(STATUS "Boot agents: embedded from ${ZYRA_BOOT_AGENT_DIR}")
elseif(ZYRA_STAND_IN_BOOT_AGENTS)
  set(ZYRA_BOOT_AGENT_MODE generate)
  message(STATUS "Boot agents: generated stand-ins, for the tests")
else()
  set(ZYRA_BOOT_AGENT_MODE none)
  message(STATUS "Boot agents: none; units with a bootloader up to 2.0.5 are refused")
endif()
set(ZYRA_BOOT_AGENT_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/boot_agents.cpp CACHE INTERNAL "Generated source of the boot agents")
set(ZYRA_BOOT_AGENT_MODE ${ZYRA_BOOT_AGENT_MODE} CACHE INTERNAL "How vx_zyra got its boot agents")
zyra_add_boot_agents(vx_zyra ${ZYRA_BOOT_AGENT_SOURCE} ${ZYRA_BOOT_AGENT_MODE})
