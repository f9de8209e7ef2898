# Debian packages built by CPack: the program, the simulator, the device server, and each library with its
# development package. scripts/package.sh builds them and checks them with lintian.
include(GNUInstallDirs)

set(_packages
    # component        package                 section    summary
    "lumetra-qz|lumetra-qz|science|control program for Lumetra pulsed lasers"
    "lumetra-sim|lumetra-sim|science|simulated Lumetra laser on a pseudo-terminal"
    "framekit|libframekit${LUMETRA_LIB_SOVERSION}|libs|main-window framework of the LUMETRA-QZ program"
    "framekit-dev|libframekit-dev|libdevel|main-window framework of the LUMETRA-QZ program - development files"
    "dialkit|libdialkit${LUMETRA_LIB_SOVERSION}|libs|styled instrument widgets of the LUMETRA-QZ program"
    "dialkit-dev|libdialkit-dev|libdevel|styled instrument widgets of the LUMETRA-QZ program - development files")
if(TARGET LumetraQZ)
    list(APPEND _packages "lumetra-qz-tango|lumetra-qz-tango|science|Tango Controls device server for Lumetra lasers")
endif()

set(_components "")
string(TIMESTAMP _changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
foreach(entry ${_packages})
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 component)
    list(GET entry 1 package)
    list(GET entry 2 section)
    list(GET entry 3 summary)
    list(APPEND _components ${component})
    string(TOUPPER ${component} upper)
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package})
    set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION ${section})
    set(CPACK_DEBIAN_${upper}_DESCRIPTION
        "${summary}\nLUMETRA-QZ controls a pulsed laser with harmonic-generation modules\nover a serial port. This package is part of its distribution.")
    if(section STREQUAL "libs")
        # The dynamic linker's cache is refreshed once per dpkg run rather than by each package's script.
        set(_triggers ${CMAKE_BINARY_DIR}/package-control/${package}/triggers)
        file(WRITE ${_triggers} "activate-noawait ldconfig\n")
        set(CPACK_DEBIAN_${upper}_PACKAGE_CONTROL_EXTRA ${_triggers})
    endif()

    # Every Debian package carries its copyright and changelog in its own documentation folder.
    set(_doc ${CMAKE_BINARY_DIR}/package-doc/${package})
    file(MAKE_DIRECTORY ${_doc})
    configure_file(${CMAKE_SOURCE_DIR}/dist/debian/copyright ${_doc}/copyright COPYONLY)
    file(WRITE ${_doc}/changelog
        "${package} (${PROJECT_VERSION}) stable; urgency=medium\n\n"
        "  * Release ${PROJECT_VERSION}.\n\n"
        " -- Zorvane <support@zorvane.example>  ${_changelog_date}\n")
    add_custom_command(OUTPUT ${_doc}/changelog.gz
        COMMAND gzip -9nf -k ${_doc}/changelog
        DEPENDS ${_doc}/changelog VERBATIM)
    add_custom_target(package-doc-${component} ALL DEPENDS ${_doc}/changelog.gz)
    install(FILES ${_doc}/copyright ${_doc}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumetra-qz)
set(CPACK_PACKAGE_VENDOR Zorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zorvane <support@zorvane.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${_components})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zorvane <support@zorvane.example>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zorvane.example/")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# dpkg-shlibdeps looks for our own libraries among the files being packaged.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/lumetra-qz-${PROJECT_VERSION}-Linux/framekit/usr/${CMAKE_INSTALL_LIBDIR}
    ${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/lumetra-qz-${PROJECT_VERSION}-Linux/dialkit/usr/${CMAKE_INSTALL_LIBDIR})

set(CPACK_COMPONENT_LUMETRA-QZ_DEPENDS framekit dialkit)
set(CPACK_COMPONENT_FRAMEKIT-DEV_DEPENDS framekit)
set(CPACK_COMPONENT_DIALKIT-DEV_DEPENDS dialkit)
set(CPACK_DEBIAN_LUMETRA-QZ_PACKAGE_RECOMMENDS lumetra-sim)
set(CPACK_DEBIAN_FRAMEKIT-DEV_PACKAGE_DEPENDS "qtbase5-dev, libqt5serialport5-dev")
set(CPACK_DEBIAN_DIALKIT-DEV_PACKAGE_DEPENDS "qtbase5-dev")

include(CPack)
