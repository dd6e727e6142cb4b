# One static library per source folder. Sources are globbed so that adding a
# file needs no edit here; EXCLUDE names sub-folders or files (without their
# extension) that belong to targets of their own, FILES takes only the named
# files, for the lower half of a folder that is split in two.
#
# Each library must be named in VANTEL_LAYERS and may link only the
# libraries named before it there: the layers are checked when configuring.
function(vantel_library name folder)
  cmake_parse_arguments(ARG "" "" "LINKS;EXCLUDE;FILES" ${ARGN})
  list(FIND VANTEL_LAYERS ${name} position)
  if(position LESS 0)
    message(FATAL_ERROR "${name} is not in VANTEL_LAYERS")
  endif()
  foreach(link IN LISTS ARG_LINKS)
    if(link MATCHES "^vantel_")
      list(FIND VANTEL_LAYERS ${link} below)
      if(below LESS 0 OR below GREATER_EQUAL position)
        message(FATAL_ERROR "${name} links ${link}, which is not below it in VANTEL_LAYERS")
      endif()
    endif()
  endforeach()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp"
       "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h")
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "/${folder}/${ex}(/|\\.(h|cpp)$)")
  endforeach()
  if(ARG_FILES)
    list(JOIN ARG_FILES "|" stems)
    list(FILTER sources INCLUDE REGEX "/${folder}/(${stems})\\.(h|cpp)$")
  endif()
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${name} INTERFACE ${ARG_LINKS})
  endif()
  # For the check of the includes against the layers.
  set_property(TARGET ${name} PROPERTY VANTEL_SOURCES ${sources})
  set_property(TARGET ${name} PROPERTY VANTEL_LINKS ${ARG_LINKS})
endfunction()

# One GoogleTest executable per test folder, run through CTest.
# KIND is "gui" (QGuiApplication) or "widgets" (QApplication); EXCLUDE names
# sub-folders that are test executables of their own.
function(vantel_test folder)
  cmake_parse_arguments(ARG "" "KIND" "LINKS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp"
       "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h")
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "/${folder}/${ex}/")
  endforeach()
  if(NOT sources)
    return()
  endif()
  set(target "test_${folder}")
  string(REPLACE "/" "_" target "${target}")
  if(ARG_KIND STREQUAL "widgets")
    set(support vantel_test_support_widgets)
  else()
    set(support vantel_test_support)
  endif()
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARG_LINKS} ${support} GTest::gtest Qt6::Test)
  target_compile_definitions(${target} PRIVATE
    VANTEL_FIXTURES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/fixtures"
    VANTEL_BUNDLE_DIR="${VANTEL_BUNDLE_DIR}")
  add_test(NAME ${target} COMMAND ${target})
  set_property(GLOBAL APPEND PROPERTY VANTEL_TESTS ${target})
  set_tests_properties(${target} PROPERTIES TIMEOUT ${VANTEL_TEST_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1:abort_on_error=1;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()
