# Installation and the Debian packages: both programs, the desktop entry and
# icons, README.TXT, the HTML manual, the man pages, the copyright and the
# changelog.
# Included at the end of the root CMakeLists.txt, after every target exists.

include(GNUInstallDirs)

# ---- files made at build time ------------------------------------------------

# README.TXT beside the executables, where the Help menu looks for it first.
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/README.TXT
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/doc/README.TXT
          ${PROJECT_BINARY_DIR}/README.TXT
  DEPENDS ${PROJECT_SOURCE_DIR}/doc/README.TXT
  COMMENT "Placing README.TXT beside the executables"
  VERBATIM)

# The man pages and the package's changelog compressed as Debian wants them;
# -n keeps the archives the same from one build to the next.
find_program(TARNWELL_GZIP gzip REQUIRED)
set(tarnwell_compressed)
function(tarnwell_compress source output)
  add_custom_command(
    OUTPUT ${output}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
    COMMAND ${TARNWELL_GZIP} -9nf ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${output}"
    VERBATIM)
  set(tarnwell_compressed ${tarnwell_compressed} ${output}.gz PARENT_SCOPE)
endfunction()
tarnwell_compress(${PROJECT_SOURCE_DIR}/doc/tarnwell-cli.1 ${PROJECT_BINARY_DIR}/man/tarnwell-cli.1)
if(TARGET tarnwell)
  tarnwell_compress(${PROJECT_SOURCE_DIR}/doc/tarnwell.1 ${PROJECT_BINARY_DIR}/man/tarnwell.1)
endif()
# The version has no Debian revision, so this is a native package: its
# changelog is changelog.gz, in the Debian changelog format.
tarnwell_compress(${PROJECT_SOURCE_DIR}/data/debian/changelog
                  ${PROJECT_BINARY_DIR}/debian/changelog)

# Bitmap icons for the icon theme, drawn from the one SVG (librsvg2-bin).
find_program(TARNWELL_RSVG_CONVERT rsvg-convert REQUIRED)
set(TARNWELL_ICON_SIZES 16 32 48 64 128 256)
set(tarnwell_icons)
foreach(size IN LISTS TARNWELL_ICON_SIZES)
  set(icon ${PROJECT_BINARY_DIR}/icons/${size}x${size}/tarnwell.png)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${TARNWELL_RSVG_CONVERT} --width ${size} --height ${size} --format png
            --output ${icon} ${PROJECT_SOURCE_DIR}/data/tarnwell.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/data/tarnwell.svg
    COMMENT "Drawing the ${size}x${size} icon"
    VERBATIM)
  list(APPEND tarnwell_icons ${icon})
endforeach()

add_custom_target(tarnwell_data ALL
  DEPENDS ${PROJECT_BINARY_DIR}/README.TXT ${tarnwell_compressed} ${tarnwell_icons})

# ---- installation ------------------------------------------------------------

# Two packages, the Debian way: tarnwell-cli, the runner with the manuals and
# the document schema, without Qt, which a server installs alone; and
# tarnwell, the window and its menu entry, which depends on it.
install(TARGETS tarnwell-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
# README.TXT where the installed programs look for it (bin/../share/tarnwell);
# the HTML manual where the web address points by default.
install(FILES ${PROJECT_SOURCE_DIR}/doc/README.TXT DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwell
        COMPONENT cli)
install(FILES ${PROJECT_SOURCE_DIR}/doc/manual.html
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarnwell COMPONENT cli)
# What readers of the runner's documents validate them against.
install(FILES ${PROJECT_SOURCE_DIR}/doc/tarnwell-run.schema.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarnwell COMPONENT cli)
install(FILES ${PROJECT_BINARY_DIR}/man/tarnwell-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT cli)
# What Debian wants of every package: the machine-readable copyright and the
# changelog, in the package's own documentation folder.
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarnwell-cli COMPONENT cli)

# The window comes from ui/; a build without it makes the runner's package
# alone, and no menu entry (nor its icons) that would start a program no
# package holds.
if(TARGET tarnwell)
  install(TARGETS tarnwell RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT gui)
  install(FILES ${PROJECT_SOURCE_DIR}/data/tarnwell.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT gui)
  install(FILES ${PROJECT_SOURCE_DIR}/data/tarnwell.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT gui)
  foreach(size IN LISTS TARNWELL_ICON_SIZES)
    install(FILES ${PROJECT_BINARY_DIR}/icons/${size}x${size}/tarnwell.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT gui)
  endforeach()
  install(FILES ${PROJECT_BINARY_DIR}/man/tarnwell.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT gui)
  install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarnwell COMPONENT gui)
endif()

# ---- Debian packages ---------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(TARGET tarnwell)
  list(APPEND CPACK_COMPONENTS_ALL gui)
endif()
set(CPACK_PACKAGE_NAME tarnwell)
set(CPACK_PACKAGE_VENDOR "Tarnwell")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tarnwell maintainers <maintainers@tarnwell.invalid>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SOURCE tarnwell)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Library dependencies come from dpkg-shlibdeps (dpkg-dev), per package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(tarnwell_description
    "Tarnwell writes test files of a chosen size around the file cache (direct
I/O, every write forced to the device), reads them back in name order or at
random, and shows per repetition the seconds taken and the throughput, then
the mean time, its variance and the mean throughput.")

set(CPACK_DEBIAN_CLI_PACKAGE_NAME tarnwell-cli)
set(CPACK_DEBIAN_CLI_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_CLI_DESCRIPTION
    "disk benchmark writing and reading whole files (runner)
${tarnwell_description}

This package holds the headless runner (tarnwell-cli), without a window or
GUI libraries, with its man page, the Japanese manuals and the schema of its
result documents.")

set(CPACK_DEBIAN_GUI_PACKAGE_NAME tarnwell)
set(CPACK_DEBIAN_GUI_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_GUI_PACKAGE_SECTION utils)
# Qt finds its display plug-ins at run time, so shlibdeps cannot see that
# package; the manuals the Help menu opens come with the runner.
set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "tarnwell-cli (= ${PROJECT_VERSION}), qt6-qpa-plugins")
# xdg-open opens README.TXT and the manual; the texts want a Japanese font.
set(CPACK_DEBIAN_GUI_PACKAGE_RECOMMENDS "xdg-utils, fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_COMPONENT_GUI_DESCRIPTION
    "disk benchmark writing and reading whole files (window)
${tarnwell_description}

This package holds the window (tarnwell, Qt 6, Japanese) with its menu entry
and man page; the runner comes with tarnwell-cli.")
set(CPACK_STRIP_FILES ON)
include(CPack)

# ---- package test --------------------------------------------------------------

# Builds the package and runs what it installs. Not under the sanitizers: the
# package is what is tested there, not memory safety.
if(TARNWELL_BUILD_TESTS AND NOT TARNWELL_SANITIZE)
  add_test(NAME package
           COMMAND ${PROJECT_SOURCE_DIR}/tests/package/test-package ${PROJECT_BINARY_DIR})
  set_tests_properties(package PROPERTIES LABELS package TIMEOUT 600)
endif()
