# Runs one script with vbsrun and compares what it printed and its exit code with
# the expected file: standard output, then standard error, then "exit N".
get_filename_component(script_name ${SCRIPT} NAME)
execute_process(COMMAND ${RUNNER} ${script_name} first "second arg"
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
set(actual "${out}${err}exit ${rc}\n")
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "Output of ${script_name} differs.\n--- expected\n${expected}--- actual\n${actual}")
endif()
