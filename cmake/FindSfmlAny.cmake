# Finds SFML 3 or SFML 2.5/2.6 and exposes one interface target, nv_sfml; NV_SFML_MAJOR says which was found,
# so that the installed package asks its users for the same one.
add_library(nv_sfml INTERFACE)
find_package(SFML 3 QUIET COMPONENTS Graphics Window Audio System)
if(SFML_FOUND)
    message(STATUS "Norvantis: using SFML ${SFML_VERSION}")
    target_link_libraries(nv_sfml INTERFACE SFML::Graphics SFML::Window SFML::Audio SFML::System)
    set(NV_SFML_MAJOR 3)
else()
    find_package(SFML 2.5 REQUIRED COMPONENTS graphics window audio system)
    message(STATUS "Norvantis: using SFML 2 (${SFML_VERSION})")
    target_link_libraries(nv_sfml INTERFACE sfml-graphics sfml-window sfml-audio sfml-system)
    set(NV_SFML_MAJOR 2)
endif()
