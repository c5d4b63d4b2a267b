# Installs the Linux host where XScreenSaver, MATE and Xfce look for hacks, and packs it as a
# Debian package (cd build/release && cpack -G DEB). Fixed paths rather than GNUInstallDirs:
# the hack folder and the .desktop file's Exec line are the same on every distribution.
if(NOT WIN32)
  set(PETALRAIN_HACK_DIR libexec/xscreensaver)
  set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

  install(TARGETS petalrain RUNTIME DESTINATION ${PETALRAIN_HACK_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/resources/petalrain.xml
          DESTINATION share/xscreensaver/config)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/petalrain.desktop
          DESTINATION share/applications/screensavers)

  # Relative, so that it holds in a staging folder and under any prefix; install() copies a
  # link as a link.
  file(CREATE_LINK ../${PETALRAIN_HACK_DIR}/petalrain ${PROJECT_BINARY_DIR}/petalrain-link SYMBOLIC)
  install(FILES ${PROJECT_BINARY_DIR}/petalrain-link DESTINATION bin RENAME petalrain)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME petalrain)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "flowers rising over white, a screen saver for XScreenSaver")
  set(CPACK_PACKAGE_DESCRIPTION
      "Thousands of tinted, turning copies of one flat five-petalled flower rise slowly over white, drawn with OpenGL. For XScreenSaver, MATE and Xfce screensavers; `petalrain` alone opens a window.")
  if(NOT DEFINED CPACK_PACKAGE_CONTACT)
    set(CPACK_PACKAGE_CONTACT "Petalrain maintainers <maintainers@petalrain.invalid>")
  endif()
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION x11)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Depends from the libraries the program links, through dpkg-shlibdeps (dpkg-dev, file).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver | xfce4-screensaver")
  set(CPACK_DEBIAN_PACKAGE_ENHANCES "xscreensaver")
  include(CPack)
endif()
