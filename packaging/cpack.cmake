# The Debian package: `cpack -G DEB` in a build folder (scripts/package does
# it in a Release build) writes sonvex_<version>-<revision>_<arch>.deb with
# everything `cmake --install` installs, below /usr.
set(CPACK_PACKAGE_NAME sonvex)
set(CPACK_PACKAGE_VERSION ${SONVEX_VERSION})
set(CPACK_PACKAGE_VENDOR "the Sonvex developers")
set(CPACK_PACKAGE_CONTACT "Sonvex developers <developers@sonvex.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "design multi-way loudspeaker boxes by simulation")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Only the programs and their data, stripped; never a file of the build.
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link (Qt 6, the C++ runtime) become
# dependencies with their versions, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The charts ask for Arial, whose metric twin Liberation Sans keeps their
# lettering in place; Qt's own dialogs speak German with its translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-translations-l10n")
# The icon theme the installed icons belong to.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "hicolor-icon-theme")
# The long description below the summary, in English and in German (CPack
# writes each line with a leading blank and the empty one as " .").
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[Sonvex simulates loudspeaker boxes with up to eight chassis (Thiele/Small
parameters, voice-coil model, measured curves) in closed, vented or
band-pass enclosures on a baffle or a common cabinet, driven by up to six
amplifiers with active filters and passive crossovers. It computes
impedance, sound pressure in 30 directions, phase, excursion and power
limits and directivity, draws them as charts and polar plots, optimises
crossover values and offers small design calculators. Its user interface
speaks German; sonvex-cli computes projects on the command line.

Sonvex simuliert Lautsprecherboxen mit bis zu acht Chassis
(Thiele-Small-Parameter, Schwingspulenmodell, gemessene Kurven) in
geschlossenen, Bassreflex- oder Bandpassgehäusen auf einer Schallwand oder
einem gemeinsamen Außengehäuse, gespeist von bis zu sechs Verstärkern mit
aktiven Filtern und passiven Frequenzweichen. Es berechnet Impedanz,
Schalldruck in 30 Richtungen, Phase, Auslenkung, Leistungsgrenzen und
Bündelung, zeichnet sie als Diagramme und Polardiagramme, optimiert
Weichenbauteile und bietet kleine Auslegungsrechner.]=])
# The licence travels as Debian keeps it: share/doc/sonvex/copyright in the
# machine-readable format, "License: MIT" being the SPDX identifier.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The changelogs, the README and lintian's overrides, added to the package
# only (a plain `cmake --install` does not need them).
configure_file(${PROJECT_SOURCE_DIR}/packaging/package-files.cmake.in
               ${PROJECT_BINARY_DIR}/packaging/package-files.cmake @ONLY)
set(CPACK_INSTALL_SCRIPTS ${PROJECT_BINARY_DIR}/packaging/package-files.cmake)
# Reproducible: every time stamp in the package is SOURCE_DATE_EPOCH, which
# CPack takes from the time of the last commit unless it is set already, so
# the same commit packs into the same bytes.
configure_file(${PROJECT_SOURCE_DIR}/packaging/cpack-project.cmake.in
               ${PROJECT_BINARY_DIR}/packaging/cpack-project.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/packaging/cpack-project.cmake)

include(CPack)
