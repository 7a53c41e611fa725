# The BSC schema's readers on received messages: command blocks, reports, levels and
# target matching.
tallis_add_fuzz_target(bsc_schema SOURCES ${CMAKE_CURRENT_LIST_DIR}/bsc_schema.cpp LIBS bsc_schema xap)
