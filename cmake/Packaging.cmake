# What a Debian installation holds besides the programs: the core library with its headers
# and CMake package, manual pages and bash completion generated from the option tables, the
# desktop entry with its icon, the model cards and the documents; and the package itself,
# `cpack -G DEB` from the release build.

include(CMakePackageConfigHelpers)

# The core library for programs of their own: find_package(Vellmor), Vellmor::core.
set_target_properties(vellmor_core PROPERTIES EXPORT_NAME core)
target_include_directories(vellmor_core PUBLIC $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
install(TARGETS vellmor_core EXPORT VellmorTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The interface, <vellmor/...>: the requests, the documents and the inputs, and every header
# they include, found by following their includes; the rest (the formulas, the solver's
# steps, the fit's parts) is the core's own and not installed.
set(interface)
file(GLOB pending RELATIVE ${PROJECT_SOURCE_DIR}/src/core
     ${PROJECT_SOURCE_DIR}/src/core/requests/*.h ${PROJECT_SOURCE_DIR}/src/core/documents/*.h)
list(APPEND pending inputs/input_fields.h base/message_sink.h)
while(pending)
  list(POP_FRONT pending header)
  if(header IN_LIST interface)
    continue()
  endif()
  list(APPEND interface ${header})
  file(STRINGS ${PROJECT_SOURCE_DIR}/src/core/${header} includes
       REGEX "^#include \"vellmor/[^\"]+\"")
  foreach(line ${includes})
    string(REGEX REPLACE "^#include \"vellmor/([^\"]+)\".*" "\\1" included "${line}")
    list(APPEND pending ${included})
  endforeach()
endwhile()
foreach(header ${interface})
  get_filename_component(directory ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/src/core/${header}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vellmor/${directory})
endforeach()
set(VELLMOR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vellmor)
install(EXPORT VellmorTargets NAMESPACE Vellmor:: DESTINATION ${VELLMOR_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VellmorConfig.cmake.in
  ${PROJECT_BINARY_DIR}/VellmorConfig.cmake INSTALL_DESTINATION ${VELLMOR_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VellmorConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VellmorConfig.cmake
              ${PROJECT_BINARY_DIR}/VellmorConfigVersion.cmake
        DESTINATION ${VELLMOR_CMAKE_DIR})

# Generated from the programs themselves, so that they never fall behind an option.
set(generated ${PROJECT_BINARY_DIR}/share)
set(run_to_file ${CMAKE_CURRENT_LIST_DIR}/run_to_file.cmake)
add_custom_command(OUTPUT ${generated}/man/man1/vellmor-cli.1
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:vellmor-cli> -DARGUMENTS=--man-page
          -DOUTPUT=${generated}/man/man1/vellmor-cli.1 -P ${run_to_file}
  DEPENDS vellmor-cli ${run_to_file}
  COMMENT "The manual page vellmor-cli(1)")
add_custom_command(OUTPUT ${generated}/bash-completion/completions/vellmor-cli
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:vellmor-cli> -DARGUMENTS=--bash-completion
          -DOUTPUT=${generated}/bash-completion/completions/vellmor-cli -P ${run_to_file}
  DEPENDS vellmor-cli ${run_to_file}
  COMMENT "The bash completion of vellmor-cli")
set(documentation ${generated}/man/man1/vellmor-cli.1
                  ${generated}/bash-completion/completions/vellmor-cli)
install(FILES ${generated}/man/man1/vellmor-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${generated}/bash-completion/completions/vellmor-cli
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)

if(VELLMOR_BUILD_GUI)
  # The window program's page from its --help and --version (help2man), and its icon drawn
  # from the main window's spinline picture; both run without a display.
  find_program(VELLMOR_HELP2MAN help2man)
  if(VELLMOR_HELP2MAN)
    add_custom_command(OUTPUT ${generated}/man/man1/vellmor.1
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${VELLMOR_HELP2MAN} --no-info --section=1
              "--name=the steady melt-spinning spinline of one PET filament, in a window"
              --output=${generated}/man/man1/vellmor.1 $<TARGET_FILE:vellmor>
      DEPENDS vellmor
      COMMENT "The manual page vellmor(1)")
    list(APPEND documentation ${generated}/man/man1/vellmor.1)
    install(FILES ${generated}/man/man1/vellmor.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(STATUS "help2man not found: no manual page for vellmor")
  endif()
  add_custom_command(OUTPUT ${generated}/icons/hicolor/256x256/apps/vellmor.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/icons/hicolor/256x256/apps
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:vellmor>
            --write-icon ${generated}/icons/hicolor/256x256/apps/vellmor.png
    DEPENDS vellmor
    COMMENT "The icon of vellmor")
  list(APPEND documentation ${generated}/icons/hicolor/256x256/apps/vellmor.png)
  install(FILES ${generated}/icons/hicolor/256x256/apps/vellmor.png
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/256x256/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/share/applications/vellmor.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
endif()
add_custom_target(vellmor_documentation ALL DEPENDS ${documentation})

set(VELLMOR_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vellmor)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${VELLMOR_DOC_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${VELLMOR_DOC_DIR})

# The Debian package: `cpack -G DEB` in the release build gives vellmor_VERSION_ARCH.deb, its
# library dependencies found by dpkg-shlibdeps, the interpreter's and plugins' named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellmor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vellmor developers <vellmor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "steady melt-spinning spinline of one PET filament")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vellmor simulates the steady spinline of one PET filament in melt spinning: the melt
leaves a spinneret hole, swells, is drawn down by the take-up roll and cools in
cross-flow air in three zones. A dialog window, a command-line runner with sweeps,
a converged model with an editable model card, fits to measured profiles and the
fibre's structure, and a Python module.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(depends "")
if(VELLMOR_PYTHON_TREE)
  # The module is built for this Python: its minor version, and NumPy for its arrays.
  list(APPEND depends "python3 (>= ${VELLMOR_PYTHON_VERSION_MINOR})"
       "python3 (<< ${VELLMOR_PYTHON_NEXT_MINOR})" "python3-numpy")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-pandas")
endif()
if(VELLMOR_BUILD_GUI)
  # The window system's plugin is loaded at run time, where dpkg-shlibdeps cannot see it.
  list(APPEND depends "qt6-qpa-plugins")
endif()
list(JOIN depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
include(CPack)
