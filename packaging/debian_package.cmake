# The Debian packages, built by `cpack -G DEB` in a build configured with
# CMAKE_INSTALL_PREFIX=/usr (scripts/package.sh builds them and checks them with lintian):
#   orvexdecode_VERSION_ARCH.deb         the commands with their manual pages and completion,
#                                        the stylesheet, the README and licence (component tools)
#   liborvexdecode-dev_VERSION_ARCH.deb  the static library, its header, the CMake package and
#                                        the pkg-config file (component dev)
# VERSION is the top entry of changelog.Debian, e.g. 2.25-1. (A description ends with a line
# break so that CPack keeps the indent of its last line.)

# The top changelog entry gives the Debian revision; its upstream part must be this version.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog.Debian changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^orvexdecode \\(([^)-]+)-([^)]+)\\)")
  message(FATAL_ERROR "packaging/changelog.Debian does not start with an orvexdecode (VERSION-REVISION) entry")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(WARNING "packaging/changelog.Debian has no entry for ${PROJECT_VERSION}: the package would carry ${CMAKE_MATCH_1}")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})

# Each package's documents: the copyright file and the compressed Debian changelog. They
# are installed for the packages only (cmake --install --component NAME), not by a plain
# cmake --install.
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging)
execute_process(COMMAND gzip -9 -n -c ${CMAKE_CURRENT_LIST_DIR}/changelog.Debian
  OUTPUT_FILE ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog.Debian)
foreach(component_package IN ITEMS "tools;orvexdecode" "dev;liborvexdecode-dev")
  list(GET component_package 0 component)
  list(GET component_package 1 package)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvexdecode)
set(CPACK_PACKAGE_VENDOR "The OrvexDecode developers")
set(CPACK_PACKAGE_CONTACT "OrvexDecode developers <dev@orvexdecode.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tools dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME orvexdecode)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SHLIBDEPS ON)
# Local times (orvexdecode-info, -report and the avionics CSV) come from the system's compiled
# time-zone files, read at run time.
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "tzdata")
set(CPACK_DEBIAN_TOOLS_DESCRIPTION "decoder of aircraft EFIS flight LOG files
OrvexDecode reads the binary flight LOG files an aircraft EFIS writes:
engine monitor, AHRS, two GPS serial ports, analog inputs and settings
changes. This package holds the commands:
  orvexdecode           an XML report of a LOG and its flight path as KML
  orvexdecode-track     the flight path as a tab-separated track
  orvexdecode-info      the flights of LOGs as text or JSON Lines
  orvexdecode-export    CSV, avionics datalog CSV, GPX and KML with time
  orvexdecode-report    the flight report as one self-contained HTML page
  orvexdecode-simulate  the LOG of a simulated flight, for tests
")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME liborvexdecode-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION "decoder of aircraft EFIS flight LOG files - development files
OrvexDecode reads the binary flight LOG files an aircraft EFIS writes and
turns them into an XML report, a KML flight path or tab-separated tracks.
This package holds the static library liborvexdecode.a, its C and C++
header, a CMake package (find_package(OrvexDecode)) and a pkg-config file.
")

include(CPack)
