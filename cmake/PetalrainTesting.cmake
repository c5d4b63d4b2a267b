# petalrain_add_test(<name> SOURCES ... [LIBRARIES ...])
# Native: GoogleTest cases are discovered one by one.
# Windows: one CTest entry per executable, run under Wine inside a shared session.
function(petalrain_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBRARIES} GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      FIXTURES_REQUIRED wine_session
      ENVIRONMENT "PETALRAIN_WINE_SESSION=${PETALRAIN_WINE_SESSION_DIR}"
      TIMEOUT 600)
  else()
    gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
endfunction()
