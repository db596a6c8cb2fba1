# Helpers shared by the subsystem CMakeLists.

# sl_core_library(name SOURCES...): platform-free code, built natively and for Windows.
function(sl_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
endfunction()

# sl_win_library(name SOURCES...): Win32 code, Windows build only.
function(sl_win_library name)
  if(WIN32)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  endif()
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

# sl_win_test(name SOURCES... LIBS ...): GoogleTest test of Win32 code, run under Wine.
function(sl_win_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
    add_test(NAME ${name} COMMAND ${name})
  endif()
endfunction()
