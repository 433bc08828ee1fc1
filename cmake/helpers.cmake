# corv_folder_headers(folder)
#   corv_<folder>_headers: an INTERFACE target that puts this one folder on
#   the include path, as "folder/x.h". The include root is a directory of the
#   build holding a single link to the source folder, not the source tree, so
#   a target sees exactly the folders whose header targets it links (its own
#   and, through the folder libraries it links, those below it). An include
#   of any other folder is "No such file or directory".
function(corv_folder_headers folder)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${folder})
  file(MAKE_DIRECTORY ${root})
  file(REMOVE ${root}/${folder})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  add_library(corv_${folder}_headers INTERFACE)
  target_include_directories(corv_${folder}_headers INTERFACE ${root})
endfunction()

# corv_folder_library(folder [sources...] LINKS lower...)
#   corv_<folder>: the folder's object library; its sources are the given
#   ones, or else every .cpp of the folder. It links the folders it builds on,
#   PUBLIC, since its headers may include theirs.
function(corv_folder_library folder)
  cmake_parse_arguments(F "" "" "LINKS" ${ARGN})
  set(sources ${F_UNPARSED_ARGUMENTS})
  if(NOT sources)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  endif()
  corv_folder_headers(${folder})
  add_library(corv_${folder} OBJECT ${sources})
  target_link_libraries(corv_${folder} PUBLIC corv_${folder}_headers ${F_LINKS})
endfunction()

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
    target_link_libraries(${name} PRIVATE corv_monitor corv_window_memory corv_fake_os)
  endif()
  if(T_REAL)
    target_link_libraries(${name} PRIVATE corv_monitor corv_window_none corv_os)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77)
endfunction()
