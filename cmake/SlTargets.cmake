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

# sl_endpoints_library(name downloadUrl trackingHost publicIpHost webHost topupT): one set of the
# compiled-in endpoints (base/endpoints.h) as a library of its own.
function(sl_endpoints_library name ENDPOINT_DOWNLOAD_URL ENDPOINT_TRACKING_HOST ENDPOINT_PUBLIC_IP_HOST
         ENDPOINT_WEB_HOST ENDPOINT_TOPUP_T)
  if(ENDPOINT_DOWNLOAD_URL MATCHES "^[Hh][Tt][Tt][Pp]://" AND NOT STORMLINE_ALLOW_PLAIN_HTTP)
    message(FATAL_ERROR "${name}: ${ENDPOINT_DOWNLOAD_URL} is plain HTTP, which needs "
                        "STORMLINE_ALLOW_PLAIN_HTTP=ON (test, demo and benchmark builds only)")
  endif()
  set(source ${CMAKE_BINARY_DIR}/generated/${name}.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/endpoints.cpp.in ${source} @ONLY)
  # Objects, not an archive: they must resolve references from libraries linked after them.
  add_library(${name} OBJECT ${source})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# sl_native_test(name SOURCES... LIBS ...): GoogleTest unit test of the portable core (host build).
function(sl_native_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT WIN32)
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
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
