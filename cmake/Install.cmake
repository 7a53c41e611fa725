# What `cmake --install` puts where (GNUInstallDirs), and so what the package holds:
#   lib/tallis/                  the program and the plug-ins we ship
#   bin/                         xap, xaphub, vbsrun, tallis-instance, and tallis (the
#                                user's starter: the user's instance or --base DIR)
#   share/man/                   the manual pages
#   lib/systemd/{system,user}/   the service units
#   share/applications/, share/icons/hicolor/   the desktop entry and its icon
#   include/tallis/, <libdir>/cmake/Tallis/, lib/<multiarch>/pkgconfig/   the plug-in kit
#   share/doc/tallis/            README, copyright (Debian's form), changelog
set(TALLIS_PKGLIBDIR lib/tallis)

install(TARGETS tallis RUNTIME DESTINATION ${TALLIS_PKGLIBDIR})
install(TARGETS hspi_Audrey LIBRARY DESTINATION ${TALLIS_PKGLIBDIR})
install(TARGETS xap_tool xaphub vbsrun RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# vbsrun with the emulated host, which vbsrun starts for --xap (../lib/tallis from bin).
install(TARGETS vbsrun_xap RUNTIME DESTINATION ${TALLIS_PKGLIBDIR})

# tallis-instance finds the program in ../lib/tallis beside itself.
set(PKGLIBDIR_REL ${TALLIS_PKGLIBDIR})
configure_file(tools/tallis-instance/tallis-instance.in ${CMAKE_BINARY_DIR}/tools/tallis-instance/tallis-instance @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/tools/tallis-instance/tallis-instance DESTINATION ${CMAKE_INSTALL_BINDIR})
configure_file(tools/tallis-instance/tallis.in ${CMAKE_BINARY_DIR}/tools/tallis-instance/tallis @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/tools/tallis-instance/tallis DESTINATION ${CMAKE_INSTALL_BINDIR})

# Service units: the system's (hub and node as services) and a user's (a session).
# Their commands name the bin and program folders of the prefix installed to (a
# --prefix given to cmake --install, or /usr in the package), so they are written at
# install time.
foreach(kind system user)
  set(units xaphub tallis)
  if(kind STREQUAL system)
    list(APPEND units xap-mqtt) # the MQTT bridge runs as a system service only
  endif()
  foreach(unit ${units})
    set(unit_out ${CMAKE_BINARY_DIR}/dist/systemd/${kind}/${unit}.service)
    install(CODE "set(BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
      set(PKGLIBDIR \"\${CMAKE_INSTALL_PREFIX}/${TALLIS_PKGLIBDIR}\")
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

# The license as Debian wants it (copyright, machine-readable) and the changelog,
# compressed without name or time stamp.
set(TALLIS_MAINTAINER "The Tallis developers <maintainers@tallis.example.org>")
configure_file(dist/debian/changelog.in ${CMAKE_BINARY_DIR}/dist/debian/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/debian/changelog.gz
  COMMAND gzip -9n < ${CMAKE_BINARY_DIR}/dist/debian/changelog > ${CMAKE_BINARY_DIR}/dist/debian/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/dist/debian/changelog VERBATIM)
add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/dist/debian/changelog.gz)
install(FILES README.md dist/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tallis)
install(FILES ${CMAKE_BINARY_DIR}/dist/debian/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tallis
        RENAME changelog.Debian.gz)
install(FILES dist/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tallis)

# The plug-in kit: the entry points, the object-model headers they include, the
# helpers below, a CMake package (find_package(Tallis) gives tallis_add_plugin) and a
# pkg-config file.
install(FILES plugins/sdk/tallis/PluginApi.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tallis)
file(GLOB object_model_headers ${CMAKE_SOURCE_DIR}/src/automation/*.h)
install(FILES ${object_model_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tallis/automation)
# Header-only helpers a plug-in may use besides the object model: the log's repeat
# collapsing (a plug-in that logs a peer's faults collapses them as the log does).
install(FILES src/xap/RepeatCollapser.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tallis/xap)
# The invariant checks the object model's headers use.
install(FILES ${CMAKE_SOURCE_DIR}/src/base/Assert.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tallis/base)
include(CMakePackageConfigHelpers)
set(TALLIS_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tallis)
configure_package_config_file(plugins/sdk/cmake/TallisConfig.cmake.in ${CMAKE_BINARY_DIR}/sdk/TallisConfig.cmake
  INSTALL_DESTINATION ${TALLIS_CMAKE_DIR} PATH_VARS CMAKE_INSTALL_INCLUDEDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk/TallisConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/sdk/TallisConfig.cmake ${CMAKE_BINARY_DIR}/sdk/TallisConfigVersion.cmake
              plugins/sdk/cmake/TallisAddPlugin.cmake
        DESTINATION ${TALLIS_CMAKE_DIR})
# The .pc file finds its prefix from its own place, so an installed tree can move. It
# goes to the multiarch folder (lib/x86_64-linux-gnu/pkgconfig), where pkg-config
# looks first and a cross build finds the right one.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(TALLIS_PC_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/pkgconfig)
else()
  set(TALLIS_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()
file(RELATIVE_PATH TALLIS_PC_TO_PREFIX /prefix/${TALLIS_PC_DIR} /prefix)
configure_file(plugins/sdk/tallis-plugin.pc.in ${CMAKE_BINARY_DIR}/sdk/tallis-plugin.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/sdk/tallis-plugin.pc DESTINATION ${TALLIS_PC_DIR})

# The MQTT bridge: its program and an example of its settings (its unit is above).
install(TARGETS xap_mqtt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES dist/xap-mqtt/xap-mqtt.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tallis/examples)
