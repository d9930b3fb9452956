# The installed tree and the Debian package. Executables go to bin/, their data to
# share/r4860 (where DataSearchDirs looks for an installed copy), and the desktop pieces to
# the XDG places, so a package built from this tree installs like any other desktop program.
include(GNUInstallDirs)
set(r4860_data "${CMAKE_CURRENT_LIST_DIR}/../data")
set(r4860_pack "${CMAKE_CURRENT_LIST_DIR}/../packaging/deb")

install(FILES "${r4860_data}/desktop/r4860.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${r4860_data}/desktop/r4860-mime.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME r4860.xml)
install(FILES "${r4860_data}/icons/r4860.svg" DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES "${r4860_data}/icons/r4860-${size}.png"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME r4860.png)
endforeach()
install(FILES "${r4860_data}/udev/60-r4860-adapter.rules" DESTINATION lib/udev/rules.d)
file(GLOB r4860_examples CONFIGURE_DEPENDS "${CMAKE_CURRENT_LIST_DIR}/../examples/*.par")
install(FILES ${r4860_examples} DESTINATION ${CMAKE_INSTALL_DATADIR}/r4860/examples)

# Man pages and the changelog go compressed, as Debian expects; -n keeps the archive free of
# time stamps, so the same sources give the same package.
find_program(R4860_GZIP gzip REQUIRED)
set(r4860_compressed)
foreach(source man/r4860.1 man/r4860-cli.1 man/r4860-sim.1 changelog)
  if(source STREQUAL "changelog")
    set(input "${r4860_pack}/changelog")
  else()
    set(input "${r4860_data}/${source}")
  endif()
  get_filename_component(name "${source}" NAME)
  set(output "${PROJECT_BINARY_DIR}/packaging/${name}.gz")
  add_custom_command(OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/packaging"
    COMMAND sh -c "${R4860_GZIP} -9n -c '${input}' > '${output}'"
    DEPENDS "${input}" VERBATIM)
  list(APPEND r4860_compressed "${output}")
endforeach()
add_custom_target(r4860_compressed_docs ALL DEPENDS ${r4860_compressed})
list(FILTER r4860_compressed INCLUDE REGEX "\\.1\\.gz$")
install(FILES ${r4860_compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES "${PROJECT_BINARY_DIR}/packaging/changelog.gz" "${r4860_pack}/copyright"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/r4860)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME r4860)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "The r4860 developers <r4860-developers@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for R4860 temperature transducers")
set(CPACK_PACKAGE_DESCRIPTION "Reads, edits, writes and verifies the configuration of R4860
temperature and signal transducers with a 4-20 mA output over their serial
line: a desktop window, a command-line tool for batch and series programming,
and an emulator of the transducer for training and testing.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)            # r4860_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)              # the libraries' packages, as dpkg-shlibdeps finds them
# Loaded by Qt at run time, so no linker sees them: the display plugins and the window's font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${r4860_pack}/postinst;${r4860_pack}/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
