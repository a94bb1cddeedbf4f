# Helpers shared by the Windows libraries: exports and ordinal import
# libraries from one .def file per DLL, version resources, Wine tests.

find_program(ZO_DLLTOOL NAMES ${ZO_TRIPLET}-dlltool REQUIRED)

# A .def file is written in the 32-bit form: `Name = Name@N @ord` (stdcall
# names undecorated, fixed ordinals). x86_64 has no stdcall decoration, so
# there the aliases are dropped.
function(_zo_def_for_arch in out)
  file(READ ${in} text)
  if(ZO_ARCH STREQUAL "x86_64")
    string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*) *= *[A-Za-z_][A-Za-z0-9_]*@[0-9]+" "\\1" text "${text}")
  endif()
  file(WRITE ${out} "${text}")
endfunction()

# zo_exports(target file.def): export exactly what the .def file lists.
function(zo_exports target def)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
  _zo_def_for_arch(${CMAKE_CURRENT_SOURCE_DIR}/${def} ${out})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${def})
  target_sources(${target} PRIVATE ${out})
endfunction()

# zo_import_library(name file.def dll): an import library `name` whose every
# entry imports by ordinal only (NONAME), made with dlltool.
function(zo_import_library name def dll)
  file(READ ${CMAKE_CURRENT_SOURCE_DIR}/${def} text)
  # `Name = Name@N @ord [PRIVATE]` -> `Name@N @ord NONAME`
  string(REGEX REPLACE "[A-Za-z_][A-Za-z0-9_]* *= *([A-Za-z_][A-Za-z0-9_@]*) +(@[0-9]+)[^\n]*" "\\1 \\2 NONAME" text "${text}")
  string(REGEX REPLACE "LIBRARY[^\n]*" "LIBRARY ${dll}" text "${text}")
  if(ZO_ARCH STREQUAL "x86_64")
    string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" text "${text}")
    set(kill "")
  else()
    set(kill -k)
  endif()
  set(impdef ${CMAKE_CURRENT_BINARY_DIR}/${name}.imp.def)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${name}.a)
  file(WRITE ${impdef} "${text}")
  add_custom_command(OUTPUT ${lib} COMMAND ${ZO_DLLTOOL} -d ${impdef} -D ${dll} ${kill} -l ${lib}
                     DEPENDS ${impdef} VERBATIM)
  add_custom_target(${name}_implib DEPENDS ${lib})
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${lib})
  add_dependencies(${name} ${name}_implib)
endfunction()

# zo_version(target "File description"): a VERSIONINFO resource.
function(zo_version target description)
  get_target_property(type ${target} TYPE)
  get_target_property(suffix ${target} SUFFIX)
  if(NOT suffix)
    if(type STREQUAL "EXECUTABLE")
      set(suffix ".exe")
    else()
      set(suffix ".dll")
    endif()
  endif()
  set(ZO_FILE_NAME "${target}${suffix}")
  set(ZO_FILE_DESCRIPTION "${description}")
  if(type STREQUAL "EXECUTABLE")
    set(ZO_FILE_TYPE "VFT_APP")
  else()
    set(ZO_FILE_TYPE "VFT_DLL")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${ZO_TOP}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# zo_wine_test(target [WINDOWED]): run a GoogleTest executable under Wine,
# one process per test case (the libraries keep process-wide state).
# WINDOWED tests share the one display and pointer, so they run one at a time.
function(zo_wine_test target)
  cmake_parse_arguments(T "WINDOWED" "" "" ${ARGN})
  set(props "")
  if(T_WINDOWED)
    set(props PROPERTIES RESOURCE_LOCK display)
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}> ${props})
endfunction()

# zo_check_pe(target EXPORTS "1:Name ..." [ORDINAL_IMPORTS "x.dll:2,8" ...]):
# a test that the built file exports exactly these names at these ordinals,
# imports from our own DLLs by ordinal only, and otherwise only system DLLs.
# The checker is named by path so that it runs on the host, not under Wine.
function(zo_check_pe target)
  cmake_parse_arguments(P "" "EXPORTS" "ORDINAL_IMPORTS" ${ARGN})
  set(imports "")
  foreach(i ${P_ORDINAL_IMPORTS})
    list(APPEND imports --ordinal-imports ${i})
  endforeach()
  add_test(NAME ${target}_pe COMMAND ${Python3_EXECUTABLE} ${ZO_TOP}/tools/check_pe.py $<TARGET_FILE:${target}>
           --only-system-imports --exports "${P_EXPORTS}" ${imports})
endfunction()
