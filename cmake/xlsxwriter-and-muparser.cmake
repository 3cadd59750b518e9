# libxlsxwriter (Excel workbooks, with zlib) and muparser (expressions), as
# the imported targets Kelvara::xlsxwriter and Kelvara::muparser:
#   Linux    Debian's libxlsxwriter-dev and libmuparser-dev, through pkg-config
#   Windows  the static libraries that scripts/windows-libs.sh builds from
#            Debian's sources, in the folder KELVARA_WINDOWS_LIBS (with include/
#            and lib/; scripts/windows.sh passes it)
set(KELVARA_WINDOWS_LIBS "" CACHE PATH
    "zlib, libxlsxwriter and muparser for Windows (the folder scripts/windows-libs.sh prints)")

if(WIN32)
  if(NOT KELVARA_WINDOWS_LIBS OR NOT IS_DIRECTORY "${KELVARA_WINDOWS_LIBS}/include")
    message(FATAL_ERROR "A Windows build needs zlib, libxlsxwriter and muparser: build them with "
                        "scripts/windows-libs.sh and give its folder as -DKELVARA_WINDOWS_LIBS=<folder>")
  endif()
  set(targets zlib xlsxwriter muparser)
  set(files z xlsxwriter muparser)
  foreach(target file IN ZIP_LISTS targets files)
    find_library(KELVARA_WINDOWS_${target} NAMES ${file} PATHS "${KELVARA_WINDOWS_LIBS}/lib"
                 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    add_library(Kelvara::${target} STATIC IMPORTED)
    set_target_properties(Kelvara::${target} PROPERTIES
      IMPORTED_LOCATION "${KELVARA_WINDOWS_${target}}"
      INTERFACE_INCLUDE_DIRECTORIES "${KELVARA_WINDOWS_LIBS}/include")
  endforeach()
  set_property(TARGET Kelvara::xlsxwriter PROPERTY INTERFACE_LINK_LIBRARIES Kelvara::zlib)
  # The headers export their symbols from a DLL unless told the library is static.
  set_property(TARGET Kelvara::muparser PROPERTY INTERFACE_COMPILE_DEFINITIONS MUPARSER_STATIC)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(KELVARA_XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
  pkg_check_modules(KELVARA_MUPARSER REQUIRED IMPORTED_TARGET muparser)
  add_library(Kelvara::xlsxwriter INTERFACE IMPORTED)
  target_link_libraries(Kelvara::xlsxwriter INTERFACE PkgConfig::KELVARA_XLSXWRITER)
  add_library(Kelvara::muparser INTERFACE IMPORTED)
  target_link_libraries(Kelvara::muparser INTERFACE PkgConfig::KELVARA_MUPARSER)
endif()
