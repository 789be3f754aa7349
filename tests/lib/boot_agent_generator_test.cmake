# The boot agent generator: the same stand-ins on every run, and vendor
# agent files embedded only when their size is the declared one.
# -DGENERATOR=<boot_agent_gen> -DBUILT=<the library's generated source> -DWORK=<scratch dir>
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

execute_process(COMMAND ${GENERATOR} generate ${WORK}/again.cpp RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "generate failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${BUILT} ${WORK}/again.cpp RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "a second run generated different stand-ins")
endif()

# Vendor files of the declared sizes (12013 and 10749 characters) embed.
string(REPEAT "A" 12012 tx)
string(REPEAT "B" 10748 rx)
file(WRITE ${WORK}/tx_boot_agent.hex "\n${tx}")
file(WRITE ${WORK}/rx_boot_agent.hex "\n${rx}")
execute_process(COMMAND ${GENERATOR} embed ${WORK}/tx_boot_agent.hex ${WORK}/rx_boot_agent.hex ${WORK}/embedded.cpp
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "embedding files of the declared sizes failed: ${rc}")
endif()
file(READ ${WORK}/embedded.cpp embedded)
if(NOT embedded MATCHES "VX_ZYRA_TX_BOOT_AGENT\\[12014\\]" OR NOT embedded MATCHES "AAAAAAAA")
  message(FATAL_ERROR "the embedded source does not carry the TX file")
endif()

# One character too many is refused, and no source is left behind.
file(WRITE ${WORK}/rx_boot_agent.hex "\n${rx}B")
execute_process(COMMAND ${GENERATOR} embed ${WORK}/tx_boot_agent.hex ${WORK}/rx_boot_agent.hex ${WORK}/refused.cpp
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR EXISTS ${WORK}/refused.cpp)
  message(FATAL_ERROR "an RX agent of the wrong size was embedded")
endif()
if(NOT err MATCHES "VX_ZYRA_RX_BOOT_AGENT must be 10749 characters")
  message(FATAL_ERROR "unexpected message: ${err}")
endif()
file(REMOVE_RECURSE ${WORK})
