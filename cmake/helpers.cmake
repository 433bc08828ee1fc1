# corv_add_test(NAME source... [FAKE] [REAL] [LIBS lib...])
#   A GoogleTest binary registered with CTest. Cross builds run it through the
#   emulator (Wine) automatically; status 77 is a skip (a machine that cannot
#   run the build's programs, a display or tool that is not there).
#   FAKE: links the monitor's logic with the scripted OS and the in-memory window.
#   REAL: links the monitor's logic with the real OS layer and no window.
function(corv_add_test name)
  cmake_parse_arguments(T "FAKE;REAL" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock GTest::gtest_main ${T_LIBS})
  if(T_FAKE)
    target_link_libraries(${name} PRIVATE corv_logic corv_window_memory corv_fake_os)
  endif()
  if(T_REAL)
    target_link_libraries(${name} PRIVATE corv_logic corv_window_none corv_os)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77)
endfunction()
