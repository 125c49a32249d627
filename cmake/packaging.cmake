# What `cmake --install` and `cpack` put where. Two install components:
#
#   development  the drawing-object library and the skin engine as static libraries, their public
#                headers, the CMake package (find_package(Varnel CONFIG), targets Varnel::plus
#                and Varnel::skin), the licence and the API reference. The default install.
#   program      Varnel.exe, the gallery, the README and the licence: the release archive.
#                Installed only when asked for by name (cpack does), so a library install does
#                not carry the programs.
include(CMakePackageConfigHelpers)

set(VARNEL_INCLUDE_DESTINATION include/varnel)
set(VARNEL_CMAKE_DESTINATION lib/cmake/Varnel)

# --- Libraries and their package ---

# The installed archives carry the project's name, so they cannot be mistaken for another
# project's "libplus.a".
set_target_properties(plus PROPERTIES OUTPUT_NAME varnel_plus)
set_target_properties(skin PROPERTIES OUTPUT_NAME varnel_skin)

install(TARGETS plus skin EXPORT VarnelTargets ARCHIVE DESTINATION lib COMPONENT development)

# The public headers: what a program needs to start the engine, skin its windows and draw with
# the wrappers. The rest of skin/ (window records, control families, painters) and the
# wrappers' private helpers and their fault seam for tests stay inside the libraries.
set(VARNEL_PUBLIC_HEADERS
    skin/core/skin_engine.h
    skin/core/method_thunk.h
    skin/core/skin_types.h
    skin/core/window_properties.h
    skin/services/background_picture.h
    skin/core/composition_types.h
    skin/core/dpi.h
    skin/core/scroll_bar_types.h
    skin/core/kept_picture.h
    skin/core/gdi_owners.h)
file(GLOB plus_headers RELATIVE ${CMAKE_SOURCE_DIR} CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/plus/*.h)
list(FILTER plus_headers EXCLUDE REGEX "/plus_internal\\.h$|/plus_wrapper_helpers\\.h$|/plus_faults\\.h$")
list(APPEND VARNEL_PUBLIC_HEADERS ${plus_headers})
foreach(header ${VARNEL_PUBLIC_HEADERS})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${header} DESTINATION ${VARNEL_INCLUDE_DESTINATION}/${folder}
          COMPONENT development)
endforeach()

install(EXPORT VarnelTargets NAMESPACE Varnel:: DESTINATION ${VARNEL_CMAKE_DESTINATION}
        COMPONENT development)
configure_package_config_file(cmake/VarnelConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/package/VarnelConfig.cmake
                              INSTALL_DESTINATION ${VARNEL_CMAKE_DESTINATION})
# Same major version, and the same word size (an x86 install does not serve an x64 build).
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/VarnelConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/VarnelConfig.cmake
              ${CMAKE_BINARY_DIR}/package/VarnelConfigVersion.cmake
        DESTINATION ${VARNEL_CMAKE_DESTINATION} COMPONENT development)
install(FILES LICENSE docs/API.md DESTINATION share/doc/Varnel COMPONENT development)

# --- Release archive ---

set(varnel_programs)
foreach(t Varnel varnel_gallery)
  if(TARGET ${t})
    list(APPEND varnel_programs ${t})
  endif()
endforeach()
install(TARGETS ${varnel_programs} RUNTIME DESTINATION . COMPONENT program EXCLUDE_FROM_ALL)
install(FILES README.md LICENSE DESTINATION . COMPONENT program EXCLUDE_FROM_ALL)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VARNEL_PACKAGE_SYSTEM win64)
else()
  set(VARNEL_PACKAGE_SYSTEM win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "The Varnel authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_SYSTEM_NAME ${VARNEL_PACKAGE_SYSTEM})
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${VARNEL_PACKAGE_SYSTEM})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
# Only the program component, into one folder named like the archive; executables stripped.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};program;/")
set(CPACK_STRIP_FILES ON)
include(CPack)

# --- The library install and the example built against it ---

# `varnel_sdk` installs the libraries into a fresh <tree>/sdk, `hello_skin_example` builds
# examples/hello_skin against that install in <tree>/hello_skin. The release and example tests
# read both; scripts/examples.sh builds them.
add_custom_target(varnel_sdk
                  COMMAND ${CMAKE_COMMAND} -DTREE=${CMAKE_BINARY_DIR} -DSTEP=sdk
                          -P ${CMAKE_SOURCE_DIR}/cmake/sdk_example.cmake
                  COMMENT "Installing the libraries into ${CMAKE_BINARY_DIR}/sdk" VERBATIM)
add_dependencies(varnel_sdk plus skin)
add_custom_target(hello_skin_example
                  COMMAND ${CMAKE_COMMAND} -DTREE=${CMAKE_BINARY_DIR} -DSTEP=example
                          -DSOURCE=${CMAKE_SOURCE_DIR} -DTOOLCHAIN=${CMAKE_TOOLCHAIN_FILE}
                          -P ${CMAKE_SOURCE_DIR}/cmake/sdk_example.cmake
                  COMMENT "Building examples/hello_skin against ${CMAKE_BINARY_DIR}/sdk" VERBATIM)
add_dependencies(hello_skin_example varnel_sdk)
