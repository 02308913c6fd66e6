# Install rules: the library, every engine header under include/norvantis (so consumers include them by the same
# paths as the engine's own sources), the generated version header, a CMake package and a pkg-config file.
include(CMakePackageConfigHelpers)

set(NV_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Norvantis)

install(TARGETS norvantis nv_sfml EXPORT NorvantisTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/engine/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/norvantis
        FILES_MATCHING PATTERN "*.h")
install(FILES ${NV_GENERATED_DIR}/NorvantisVersion.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/norvantis)
install(EXPORT NorvantisTargets NAMESPACE Norvantis:: DESTINATION ${NV_CMAKE_DIR})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/NorvantisConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/NorvantisConfig.cmake INSTALL_DESTINATION ${NV_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/NorvantisConfigVersion.cmake VERSION ${PROJECT_VERSION}
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/NorvantisConfig.cmake ${PROJECT_BINARY_DIR}/NorvantisConfigVersion.cmake
        DESTINATION ${NV_CMAKE_DIR})

if(NV_SFML_MAJOR EQUAL 3)
    set(NV_PC_REQUIRES "sfml-graphics >= 3 sfml-window >= 3 sfml-audio >= 3 sfml-system >= 3")
else()
    set(NV_PC_REQUIRES "sfml-graphics >= 2.5 sfml-window >= 2.5 sfml-audio >= 2.5 sfml-system >= 2.5")
endif()
if(NV_NEEDS_X11)
    string(APPEND NV_PC_REQUIRES " x11")
endif()
# Relative to the .pc file's own folder, so the installed tree can be moved.
file(RELATIVE_PATH NV_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" NV_PC_TO_PREFIX "${NV_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/norvantis.pc.in ${PROJECT_BINARY_DIR}/norvantis.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/norvantis.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
