# Device persistence: devices through a stop and a start of the host, twice.
tallis_add_fuzz_target(device_store SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DeviceStoreFuzz.cpp LIBS services)
