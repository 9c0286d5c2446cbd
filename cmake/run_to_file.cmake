# cmake -DPROGRAM=… -DARGUMENTS="a;b" -DOUTPUT=… -P run_to_file.cmake: the program's standard
# output into a file, written only when the program succeeds.
execute_process(COMMAND ${PROGRAM} ${ARGUMENTS} OUTPUT_VARIABLE text RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ${ARGUMENTS}: exit status ${status}")
endif()
file(WRITE ${OUTPUT} "${text}")
