# Runs the program with standard output to a file and compares it byte for
# byte with the expected key help.
execute_process(COMMAND ${PROGRAM} OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/startup_out.txt
                RESULT_VARIABLE rc INPUT_FILE /dev/null)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "program exited with ${rc}")
endif()
file(READ ${CMAKE_CURRENT_BINARY_DIR}/startup_out.txt got HEX)
file(READ ${EXPECTED} want HEX)
if(NOT got STREQUAL want)
  message(FATAL_ERROR "console output differs from the key help")
endif()
