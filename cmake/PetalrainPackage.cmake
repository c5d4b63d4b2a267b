# What is shipped. Linux: installs the host where XScreenSaver, MATE and Xfce look for hacks,
# with its manual page and Debian's copyright and changelog, and packs it as a Debian package
# (cd build/release && cpack -G DEB). Windows: the installer and the zip of the "installer" and
# "windows_zip" targets. scripts/release.sh builds both from clean folders.

# Fixed file times in what is packed: SOURCE_DATE_EPOCH when the release sets it.
string(TIMESTAMP PETALRAIN_SOURCE_EPOCH "%s" UTC)

if(NOT WIN32)
  # Fixed paths rather than GNUInstallDirs: the hack folder and the .desktop file's Exec line
  # are the same on every distribution.
  set(PETALRAIN_HACK_DIR libexec/xscreensaver)
  set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  if(NOT DEFINED CPACK_PACKAGE_CONTACT)
    set(CPACK_PACKAGE_CONTACT "Petalrain maintainers <maintainers@petalrain.invalid>")
  endif()

  install(TARGETS petalrain RUNTIME DESTINATION ${PETALRAIN_HACK_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/resources/petalrain.xml
          DESTINATION share/xscreensaver/config)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/petalrain.desktop
          DESTINATION share/applications/screensavers)

  # Relative, so that it holds in a staging folder and under any prefix; install() copies a
  # link as a link.
  file(CREATE_LINK ../${PETALRAIN_HACK_DIR}/petalrain ${PROJECT_BINARY_DIR}/petalrain-link SYMBOLIC)
  install(FILES ${PROJECT_BINARY_DIR}/petalrain-link DESTINATION bin RENAME petalrain)

  # The manual page and the changelog go compressed, as Debian asks; gzip -n keeps the name
  # and time out, so the bytes depend on the text alone.
  string(TIMESTAMP PETALRAIN_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
  set(documents)
  foreach(source ${PROJECT_SOURCE_DIR}/resources/petalrain.6 ${PROJECT_BINARY_DIR}/changelog)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${name}.gz
                       COMMAND gzip -9n -c ${source} > ${PROJECT_BINARY_DIR}/${name}.gz
                       DEPENDS ${source})
    list(APPEND documents ${PROJECT_BINARY_DIR}/${name}.gz)
  endforeach()
  add_custom_target(packaged_documents ALL DEPENDS ${documents})
  install(FILES ${PROJECT_BINARY_DIR}/petalrain.6.gz DESTINATION share/man/man6)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION share/doc/petalrain)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME petalrain)
  set(CPACK_PACKAGE_VERSION ${PETALRAIN_VERSION})
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "flowers rising over white, a screen saver and live wallpaper")
  # Lines of at most 80 characters, as Debian's control files want them.
  string(CONCAT CPACK_PACKAGE_DESCRIPTION
         "Thousands of tinted, turning copies of one flat five-petalled flower rise\n"
         "slowly over white, drawn with OpenGL.\n"
         "\n"
         "A hack for XScreenSaver, which the MATE and Xfce screensavers list too.\n"
         "Started alone, petalrain opens a window of its own. On Wayland compositors\n"
         "with the wlr layer shell (sway, Hyprland, river, niri, labwc, KDE Plasma)\n"
         "it draws the desktop background of every output, or a lock screen's under\n"
         "swaylock-plugin.")
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION x11)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Depends from the libraries the program links, through dpkg-shlibdeps (dpkg-dev, file):
  # Xlib and GLX, EGL and the Wayland client libraries.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver | xfce4-screensaver")
  set(CPACK_DEBIAN_PACKAGE_ENHANCES "xscreensaver")
  include(CPack)
else()
  find_program(PETALRAIN_MAKENSIS makensis)
  set(stage ${PROJECT_BINARY_DIR}/ship)
  set(stamp ${stage}/staged)
  set(staged ${stage}/Petalrain.scr ${stage}/LICENSE.txt ${stage}/README.txt)
  # Copies with fixed times: makensis stores its input files' times and zip its entries'.
  add_custom_command(OUTPUT ${stamp}
                     BYPRODUCTS ${staged}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
                     COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Petalrain> ${stage}/Petalrain.scr
                     COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt
                     COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/resources/installer/README.txt
                             ${stage}/README.txt
                     COMMAND chmod 644 ${staged}
                     COMMAND touch -d @${PETALRAIN_SOURCE_EPOCH} ${staged}
                     COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
                     DEPENDS Petalrain ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/resources/installer/README.txt)

  # zip writes local times: UTC makes them the same everywhere. -X leaves out owner and
  # extra time fields.
  set(PETALRAIN_WINDOWS_ZIP ${PROJECT_BINARY_DIR}/Petalrain-${PETALRAIN_VERSION}-windows-x64.zip)
  add_custom_command(OUTPUT ${PETALRAIN_WINDOWS_ZIP}
                     COMMAND ${CMAKE_COMMAND} -E rm -f ${PETALRAIN_WINDOWS_ZIP}
                     COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -q -j ${PETALRAIN_WINDOWS_ZIP} ${staged}
                     DEPENDS ${stamp})
  add_custom_target(windows_zip ALL DEPENDS ${PETALRAIN_WINDOWS_ZIP})

  if(PETALRAIN_MAKENSIS)
    set(PETALRAIN_SETUP ${PROJECT_BINARY_DIR}/Petalrain-${PETALRAIN_VERSION}-setup.exe)
    set(script ${PROJECT_SOURCE_DIR}/resources/installer/Petalrain.nsi)
    add_custom_command(OUTPUT ${PETALRAIN_SETUP}
                       COMMAND ${PETALRAIN_MAKENSIS} -V2 -INPUTCHARSET UTF8
                               -DVERSION=${PETALRAIN_VERSION} -DFILE_VERSION=${PROJECT_VERSION}.0
                               -DSTAGE=${stage} -DICON=${PROJECT_SOURCE_DIR}/resources/Petalrain.ico
                               -DOUTFILE=${PETALRAIN_SETUP} ${script}
                       DEPENDS ${stamp} ${script} ${PROJECT_SOURCE_DIR}/resources/Petalrain.ico)
    add_custom_target(installer ALL DEPENDS ${PETALRAIN_SETUP})
  else()
    message(STATUS "makensis not found (Debian package nsis): no installer target")
  endif()
endif()
