# Runs velmora-probe under wine on a simulated-card scenario and checks its report.
# -D PROBE=... WINE_EXEC=... SCENARIO=... STATE=... EXPECT_RC=... EXPECT=a|b|c
set(ENV{VELMORA_SIM_SCENARIO} ${SCENARIO})
set(ENV{VELMORA_SIM_STATE} ${STATE})
file(REMOVE ${STATE})
execute_process(COMMAND ${WINE_EXEC} ${PROBE} OUTPUT_VARIABLE out ERROR_VARIABLE err
                RESULT_VARIABLE rc TIMEOUT 120)
if(NOT rc EQUAL ${EXPECT_RC})
  message(FATAL_ERROR "velmora-probe exited with ${rc}, expected ${EXPECT_RC}\n${out}\n${err}")
endif()
string(REPLACE "|" ";" EXPECT "${EXPECT}")  # "|" separates the expected lines
foreach(line IN LISTS EXPECT)
  string(FIND "${out}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "report lacks \"${line}\"\n${out}")
  endif()
endforeach()
# Read-only: whatever the information sheet zeroed for a moment is back.
if(EXISTS ${STATE})
  file(READ ${STATE} state)
  string(REGEX MATCHALL "gpu[0-9]+\\.(gpu|memory)_offset_khz = -?[0-9]+" offsets "${state}")
  foreach(o IN LISTS offsets)
    if(NOT o MATCHES "= 0$")
      message(FATAL_ERROR "the probe left an offset on the card: ${o}")
    endif()
  endforeach()
endif()
