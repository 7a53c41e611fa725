# What `cmake --install` puts where (GNUInstallDirs), and so what the package holds:
#   lib/tallis/                  the program and the plug-ins we ship
#   bin/                         xap, xaphub, vbsrun, tallis-instance
#   share/man/                   the manual pages
#   lib/systemd/{system,user}/   the service units
#   share/applications/, share/icons/hicolor/   the desktop entry and its icon
#   include/tallis/, <libdir>/cmake/Tallis/, <libdir>/pkgconfig/   the plug-in kit
#   share/doc/tallis/            LICENSE and README
set(TALLIS_PKGLIBDIR lib/tallis)

install(TARGETS tallis RUNTIME DESTINATION ${TALLIS_PKGLIBDIR})
install(TARGETS hspi_Audrey LIBRARY DESTINATION ${TALLIS_PKGLIBDIR})
install(TARGETS xap_tool xaphub vbsrun RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# tallis-instance finds the program in ../lib/tallis beside itself.
set(PKGLIBDIR_REL ${TALLIS_PKGLIBDIR})
configure_file(tools/tallis-instance/tallis-instance.in ${CMAKE_BINARY_DIR}/tools/tallis-instance/tallis-instance @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/tools/tallis-instance/tallis-instance DESTINATION ${CMAKE_INSTALL_BINDIR})

# Service units: the system's (hub and node as services) and a user's (a session).
# Their commands name the bin folder of the prefix installed to (a --prefix given to
# cmake --install, or /usr in the package), so they are written at install time.
foreach(kind system user)
  foreach(unit xaphub tallis)
    set(unit_out ${CMAKE_BINARY_DIR}/dist/systemd/${kind}/${unit}.service)
    install(CODE "set(BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
      configure_file(\"${CMAKE_SOURCE_DIR}/dist/systemd/${kind}/${unit}.service\" \"${unit_out}\" @ONLY)")
    install(FILES ${unit_out} DESTINATION lib/systemd/${kind})
  endforeach()
endforeach()

install(FILES dist/desktop/tallis.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES dist/icons/tallis.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES dist/icons/tallis-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME tallis.png)
endforeach()

install(FILES LICENSE README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tallis)

# The plug-in kit: the entry points, the object-model headers they include, a CMake
# package (find_package(Tallis) gives tallis_add_plugin) and a pkg-config file.
install(FILES plugins/sdk/tallis/PluginApi.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tallis)
file(GLOB object_model_headers ${CMAKE_SOURCE_DIR}/src/automation/*.h)
install(FILES ${object_model_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tallis/automation)
include(CMakePackageConfigHelpers)
set(TALLIS_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tallis)
configure_package_config_file(plugins/sdk/cmake/TallisConfig.cmake.in ${CMAKE_BINARY_DIR}/sdk/TallisConfig.cmake
  INSTALL_DESTINATION ${TALLIS_CMAKE_DIR} PATH_VARS CMAKE_INSTALL_INCLUDEDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk/TallisConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/sdk/TallisConfig.cmake ${CMAKE_BINARY_DIR}/sdk/TallisConfigVersion.cmake
              plugins/sdk/cmake/TallisAddPlugin.cmake
        DESTINATION ${TALLIS_CMAKE_DIR})
# The .pc file finds its prefix from its own place, so an installed tree can move.
file(RELATIVE_PATH TALLIS_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(plugins/sdk/tallis-plugin.pc.in ${CMAKE_BINARY_DIR}/sdk/tallis-plugin.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/sdk/tallis-plugin.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The MQTT bridge: its program, its system unit and an example of its settings.
install(TARGETS xap_mqtt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(xap_mqtt_unit ${CMAKE_BINARY_DIR}/dist/systemd/system/xap-mqtt.service)
install(CODE "set(BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/dist/systemd/system/xap-mqtt.service\" \"${xap_mqtt_unit}\" @ONLY)")
install(FILES ${xap_mqtt_unit} DESTINATION lib/systemd/system)
install(FILES dist/xap-mqtt/xap-mqtt.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tallis/examples)
