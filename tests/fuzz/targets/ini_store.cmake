# The INI store: load, save, load again.
tallis_add_fuzz_target(ini_store SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/IniStoreFuzz.cpp LIBS ini)
