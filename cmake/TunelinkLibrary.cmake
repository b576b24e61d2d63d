# tunelink_library(NAME folder... DEPS targets...)
# Builds a static library from every .cpp/.h in the given folders (recursively).
function(tunelink_library name)
  cmake_parse_arguments(ARG "" "" "FOLDERS;DEPS" ${ARGN})
  set(sources)
  foreach(folder IN LISTS ARG_FOLDERS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
         ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h
         ${CMAKE_SOURCE_DIR}/${folder}/*.qrc)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    # A folder that has no code yet still yields a (empty) library to link.
    set(stub ${CMAKE_BINARY_DIR}/stubs/${name}_empty.cpp)
    file(WRITE ${stub} "// intentionally empty\n")
    set(sources ${stub})
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# tunelink_test(folder DEPS targets...): one GoogleTest executable per test folder.
function(tunelink_test folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
  if(NOT sources)
    return()
  endif()
  string(REPLACE "/" "_" tname "tests_${folder}")
  add_executable(${tname} ${sources})
  target_link_libraries(${tname} PRIVATE ${ARG_DEPS} tl_test_support GTest::gtest GTest::gmock)
  gtest_discover_tests(${tname}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TUNELINK_AUDIO_SINK=fakesink sync=true;TUNELINK_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}/data;TUNELINK_SOURCE_DIR=${CMAKE_SOURCE_DIR};TUNELINK_BINARY_DIR=${CMAKE_BINARY_DIR}"
      TIMEOUT 300)
endfunction()
