# The hub's heartbeat reader and its client table.
tallis_add_fuzz_target(hub_heartbeat SOURCES ${CMAKE_CURRENT_LIST_DIR}/hub_heartbeat.cpp LIBS xaphub_core)
