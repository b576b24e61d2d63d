# tunelink_library(NAME FOLDERS folder... [EXCLUDE subfolder...] DEPS targets...)
# Builds a static library from every .cpp/.h in the given folders (recursively), leaving out
# subfolders that are libraries of their own.
function(tunelink_library name)
  cmake_parse_arguments(ARG "" "" "FOLDERS;EXCLUDE;DEPS" ${ARGN})
  set(sources)
  foreach(folder IN LISTS ARG_FOLDERS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
         ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h
         ${CMAKE_SOURCE_DIR}/${folder}/*.qrc)
    list(APPEND sources ${found})
  endforeach()
  foreach(folder IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/${folder}/")
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

# tunelink_test(folder DEPS targets... [THREADS gtest-filter]): one GoogleTest executable per
# test folder. Tests matching THREADS (a gtest filter such as "A.*:B.*") carry the CTest label
# "threads", which `make test-tsan` runs under ThreadSanitizer.
function(tunelink_test folder)
  cmake_parse_arguments(ARG "" "THREADS" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
  foreach(sub IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${sub}/")
  endforeach()
  if(NOT sources)
    return()
  endif()
  string(REPLACE "/" "_" tname "tests_${folder}")
  add_executable(${tname} ${sources})
  target_link_libraries(${tname} PRIVATE ${ARG_DEPS} tl_test_support GTest::gtest GTest::gmock)
  if(ARG_THREADS)
    gtest_discover_tests(${tname}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      TEST_FILTER "${ARG_THREADS}"
      TEST_LIST ${tname}_THREAD_TESTS
      PROPERTIES TIMEOUT 300 LABELS threads)
    set(other_tests "-${ARG_THREADS}")
  endif()
  gtest_discover_tests(${tname}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    TEST_FILTER "${other_tests}"
    TEST_LIST ${tname}_TESTS
    PROPERTIES TIMEOUT 300)
  # The environment is set after discovery: a list value given through
  # gtest_discover_tests(PROPERTIES) is flattened, which kept only its first entry.
  set(env_script ${CMAKE_CURRENT_BINARY_DIR}/${tname}_environment.cmake)
  file(WRITE ${env_script}
    "foreach(list ${tname}_TESTS ${tname}_THREAD_TESTS)\n"
    "  if(\${list})\n"
    "    set_tests_properties(\${\${list}} PROPERTIES ENVIRONMENT\n"
    "      [==[QT_QPA_PLATFORM=offscreen;TUNELINK_AUDIO_SINK=fakesink sync=true;TUNELINK_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}/data;TUNELINK_SOURCE_DIR=${CMAKE_SOURCE_DIR};TUNELINK_BINARY_DIR=${CMAKE_BINARY_DIR}]==])\n"
    "  endif()\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_script})
endfunction()
