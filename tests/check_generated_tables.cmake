# Regenerates the Unicode tables from the installed data and fails when they
# differ from the committed file.
execute_process(
  COMMAND ${PYTHON} ${SOURCE_DIR}/tools/gen_unicode_tables.py
  OUTPUT_FILE ${OUTPUT}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the generator failed: ${status}")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${SOURCE_DIR}/src/lib/text/unicode_tables.cpp
  RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "src/lib/text/unicode_tables.cpp is not what the generator makes from the installed data")
endif()
