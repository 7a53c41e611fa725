# The MQTT bridge's readers: xAP frames, BSC reports, the tunnel, topic ids.
tallis_add_fuzz_target(xap_mqtt_frame SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/targets/xap_mqtt_frame.cpp LIBS xapmqtt_core)
