# Helpers shared by the subsystem CMakeLists.

# sl_core_library(name SOURCES...): platform-free code, built natively and for Windows.
function(sl_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# sl_win_library(name SOURCES...): Win32 code, Windows build only.
function(sl_win_library name)
  if(WIN32)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  endif()
endfunction()

# sl_version_number(out version): the version as one integer, 1.0.2.5 is 1025, as the self-update
# and the launcher manifest count. The last three parts are single digits, so the integer names one
# version only.
function(sl_version_number out version)
  if(NOT version MATCHES "^([0-9]+)\\.([0-9])\\.([0-9])\\.([0-9])$")
    message(FATAL_ERROR "version ${version}: four parts expected, the last three of one digit (1.0.2.5)")
  endif()
  math(EXPR number "${CMAKE_MATCH_1} * 1000 + ${CMAKE_MATCH_2} * 100 + ${CMAKE_MATCH_3} * 10 + ${CMAKE_MATCH_4}")
  set(${out} ${number} PARENT_SCOPE)
endfunction()

# sl_build_info_library(name [VERSION x.y.z.w] [DOWNLOAD_URL url] [TRACKING_HOST host]
#   [PUBLIC_IP_HOST host] [WEB_HOST host] [TOPUP_T t] [PLAIN_HTTP ON|OFF]): what one build of the
# program reports as its version, the outside endpoints it talks to and whether it speaks plain HTTP
# (base/build_info.h), as objects of their own. Each part left out is the project's version or its
# STORMLINE_* cache variable (PLAIN_HTTP: STORMLINE_ALLOW_PLAIN_HTTP, which a variant cannot exceed).
function(sl_build_info_library name)
  cmake_parse_arguments(PARSE_ARGV 1 BUILD ""
                        "VERSION;DOWNLOAD_URL;TRACKING_HOST;PUBLIC_IP_HOST;WEB_HOST;TOPUP_T;PLAIN_HTTP" "")
  if(BUILD_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "${name}: unexpected arguments ${BUILD_UNPARSED_ARGUMENTS}")
  endif()
  foreach(part IN ITEMS VERSION DOWNLOAD_URL TRACKING_HOST PUBLIC_IP_HOST WEB_HOST TOPUP_T)
    if(NOT DEFINED BUILD_${part})
      if(part STREQUAL "VERSION")
        set(BUILD_VERSION ${PROJECT_VERSION})
      else()
        set(BUILD_${part} "${STORMLINE_${part}}")
      endif()
    endif()
  endforeach()
  sl_version_number(BUILD_VERSION_NUMBER ${BUILD_VERSION})
  if(NOT DEFINED BUILD_PLAIN_HTTP)
    set(BUILD_PLAIN_HTTP ${STORMLINE_ALLOW_PLAIN_HTTP})
  endif()
  if(BUILD_PLAIN_HTTP AND NOT STORMLINE_ALLOW_PLAIN_HTTP)
    message(FATAL_ERROR "${name}: plain HTTP needs STORMLINE_ALLOW_PLAIN_HTTP=ON (test, demo and benchmark builds only)")
  endif()
  if(BUILD_DOWNLOAD_URL MATCHES "^[Hh][Tt][Tt][Pp]://" AND NOT BUILD_PLAIN_HTTP)
    message(FATAL_ERROR "${name}: ${BUILD_DOWNLOAD_URL} is plain HTTP, which needs "
                        "STORMLINE_ALLOW_PLAIN_HTTP=ON (test, demo and benchmark builds only)")
  endif()
  if(BUILD_PLAIN_HTTP)
    set(BUILD_PLAIN_HTTP_VALUE true)
  else()
    set(BUILD_PLAIN_HTTP_VALUE false)
  endif()
  set(source ${CMAKE_BINARY_DIR}/generated/${name}.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/build_info.cpp.in ${source} @ONLY)
  # Objects, not an archive: they must resolve references from libraries linked after them.
  add_library(${name} OBJECT ${source})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# sl_native_test(name SOURCES... LIBS ... [BUILD_INFO lib]): GoogleTest unit test of the portable core
# (host build), linked with the project's own build information unless BUILD_INFO names another.
function(sl_native_test name)
  cmake_parse_arguments(T "" "BUILD_INFO" "SOURCES;LIBS" ${ARGN})
  if(NOT T_BUILD_INFO)
    set(T_BUILD_INFO sl_build_info)
  endif()
  if(NOT WIN32)
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} ${T_BUILD_INFO} GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name})
  endif()
endfunction()

# sl_win_test(name SOURCES... LIBS ... [ARGS ...] [FIXTURES ...] [OWN_MAIN]): GoogleTest test of
# Win32 code, run under Wine. OWN_MAIN for tests that read their own command line (ARGS).
function(sl_win_test name)
  cmake_parse_arguments(T "OWN_MAIN" "" "SOURCES;LIBS;ARGS;FIXTURES" ${ARGN})
  if(SL_WIN_TESTS)
    add_executable(${name} ${T_SOURCES})
    if(T_OWN_MAIN)
      target_link_libraries(${name} PRIVATE ${T_LIBS} gtest)
    else()
      target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
    endif()
    add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
    if(T_FIXTURES)
      set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
    endif()
  endif()
endfunction()
