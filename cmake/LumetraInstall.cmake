# Install rules: the programs, Framekit and Dialkit as versioned shared libraries with headers and CMake
# package files, desktop integration, man pages and the udev rule. Included once every target exists.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(LUMETRA_LIB_SOVERSION 1)

# An installed tree must find its own libraries wherever it was unpacked; under /usr the dynamic linker
# already does, and Debian's tools reject a search path there.
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    file(RELATIVE_PATH _lumetra_bin_to_lib "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}"
        "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}")
    set(_lumetra_rpath "$ORIGIN/${_lumetra_bin_to_lib}")
else()
    set(_lumetra_rpath "")
endif()

foreach(lib Framekit Dialkit)
    string(TOLOWER ${lib} lower)
    set_target_properties(${lib} PROPERTIES
        VERSION ${PROJECT_VERSION}
        SOVERSION ${LUMETRA_LIB_SOVERSION}
        EXPORT_NAME ${lib})
    # Consumers include "dialkit/Button.h": the source root in the build tree, the include folder once
    # installed.
    set_property(TARGET ${lib} PROPERTY INTERFACE_INCLUDE_DIRECTORIES
        "$<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}>;$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
    add_library(${lib}::${lib} ALIAS ${lib})

    install(TARGETS ${lib} EXPORT ${lib}Targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${lower}
            NAMELINK_COMPONENT ${lower}-dev
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${lower})
    file(GLOB _headers ${CMAKE_SOURCE_DIR}/${lower}/*.h)
    install(FILES ${_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${lower} COMPONENT ${lower}-dev)

    set(_cmakedir ${CMAKE_INSTALL_LIBDIR}/cmake/${lib})
    install(EXPORT ${lib}Targets NAMESPACE ${lib}:: DESTINATION ${_cmakedir} COMPONENT ${lower}-dev)
    configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/LibraryConfig.cmake.in
        ${CMAKE_BINARY_DIR}/${lib}Config.cmake INSTALL_DESTINATION ${_cmakedir})
    write_basic_package_version_file(${CMAKE_BINARY_DIR}/${lib}ConfigVersion.cmake
        VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
    install(FILES ${CMAKE_BINARY_DIR}/${lib}Config.cmake ${CMAKE_BINARY_DIR}/${lib}ConfigVersion.cmake
        DESTINATION ${_cmakedir} COMPONENT ${lower}-dev)
endforeach()

set(_lumetra_programs LUMETRA-QZ:lumetra-qz lumetra-remote:lumetra-qz lumetra-sim:lumetra-sim)
if(TARGET LumetraQZ)
    list(APPEND _lumetra_programs LumetraQZ:lumetra-qz-tango)
endif()
foreach(entry ${_lumetra_programs})
    string(REPLACE ":" ";" entry ${entry})
    list(GET entry 0 target)
    list(GET entry 1 component)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "${_lumetra_rpath}")
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
    set(_page ${CMAKE_SOURCE_DIR}/docs/man/${target}.1.md)
    if(LUMETRA_PANDOC AND EXISTS ${_page})
        set(_out ${CMAKE_BINARY_DIR}/man/${target}.1.gz)
        add_custom_command(OUTPUT ${_out}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND ${LUMETRA_PANDOC} -s -t man ${_page} -o ${CMAKE_BINARY_DIR}/man/${target}.1
            COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/man/${target}.1
            DEPENDS ${_page} VERBATIM)
        add_custom_target(man-${target} ALL DEPENDS ${_out})
        install(FILES ${_out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
    endif()
endforeach()

set(_dist ${CMAKE_SOURCE_DIR}/dist/linux)
set(LUMETRA_APP_ID example.zorvane.LumetraQZ)
install(FILES ${_dist}/${LUMETRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
    COMPONENT lumetra-qz)
configure_file(${_dist}/${LUMETRA_APP_ID}.metainfo.xml ${CMAKE_BINARY_DIR}/${LUMETRA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${LUMETRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
    COMPONENT lumetra-qz)
install(FILES ${_dist}/icons/lumetra-qz.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT lumetra-qz)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${_dist}/icons/lumetra-qz-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME lumetra-qz.png
        COMPONENT lumetra-qz)
endforeach()
# udev reads its rules from the root file system's lib folder, not from a prefix.
set(LUMETRA_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING "Where the udev rule is installed (below the prefix)")
install(FILES ${_dist}/70-lumetra-qz-serial.rules DESTINATION ${LUMETRA_UDEV_RULES_DIR} COMPONENT lumetra-qz)

# The operator's manual, where Help finds it once installed.
if(TARGET lumetra-manual)
    install(FILES ${LUMETRA_MANUAL_HTML} DESTINATION ${CMAKE_INSTALL_DATADIR}/lumetra-qz/Manual
        COMPONENT lumetra-qz)
endif()

# Licences of the fonts Dialkit carries inside the library.
file(GLOB _font_licences ${CMAKE_SOURCE_DIR}/dialkit/fonts/*.LICENSE.txt)
install(FILES ${_font_licences} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/libdialkit${LUMETRA_LIB_SOVERSION}/fonts
    COMPONENT dialkit)
