# tallis_add_plugin(Name SOURCES ...): builds the plug-in library hspi_<Name>.so
# against the target Tallis::plugin_sdk. Used inside the Tallis tree and by
# find_package(Tallis) outside it.
#
# A plug-in links against nothing: the object model comes from the program that
# loads it. Build it with the same compiler family and C++ standard library as the
# program; symbols are hidden but for the two entry points (TALLIS_PLUGIN_ENTRY).
function(tallis_add_plugin name)
  cmake_parse_arguments(P "" "" "SOURCES" ${ARGN})
  add_library(hspi_${name} MODULE ${P_SOURCES})
  target_link_libraries(hspi_${name} PRIVATE Tallis::plugin_sdk)
  target_compile_features(hspi_${name} PRIVATE cxx_std_20)
  set_target_properties(hspi_${name} PROPERTIES PREFIX "" OUTPUT_NAME hspi_${name}
    POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()
