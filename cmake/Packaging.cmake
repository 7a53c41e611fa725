# The Debian package (scripts/package.sh runs cpack -G DEB): everything the install
# rules put under /usr, binaries stripped, dependencies computed by dpkg-shlibdeps, and
# maintainer scripts that create the `tallis` system user and the /var/lib/tallis
# instance the system service runs, stop the services before removal and remove the
# user on purge. The package is checked with lintian (tests/install/package_scene.sh).
set(CPACK_PACKAGE_NAME tallis)
set(CPACK_PACKAGE_VENDOR "The Tallis developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Audrey home-automation plug-in host on xAP")
set(CPACK_PACKAGE_DESCRIPTION "Tallis hosts the Audrey plug-in as an xAP node with an emulated host
(scripting interface, devices, INI files, a VBScript engine) and a desktop
face (tray icon, remote-control window, setup dialog), so that the plug-in
runs without its host program. It ships an xAP hub (xaphub), an xAP
command-line tool (xap), a VBScript runner (vbsrun), system and user
services and a plug-in kit.")
set(CPACK_PACKAGE_CONTACT "${TALLIS_MAINTAINER}")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The first Debian revision of each version (the changelog says the same).
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser")
foreach(script postinst prerm postrm)
  configure_file(dist/debian/${script}.in ${CMAKE_BINARY_DIR}/dist/debian/${script} @ONLY)
  list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/dist/debian/${script})
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
