# The xAP message parser, with the round-trip property.
tallis_add_fuzz_target(xap_message SOURCES ${CMAKE_CURRENT_LIST_DIR}/xap_message.cpp LIBS xap)
