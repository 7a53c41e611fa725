# The VBScript engine: compile and run any text with a short time-out.
tallis_add_fuzz_target(vbscript SOURCES ${CMAKE_CURRENT_LIST_DIR}/vbscript.cpp LIBS vbscript)
