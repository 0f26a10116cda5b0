# Shared build settings and helpers for every target of the project.
include(GoogleTest)

# base/version.h, generated: the version for the code and the resources.
foreach(part MAJOR MINOR PATCH)
  set(CORV_VERSION_${part} ${PROJECT_VERSION_${part}})
  if(NOT CORV_VERSION_${part})
    set(CORV_VERSION_${part} 0)
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${PROJECT_BINARY_DIR}/generated/base/version.h @ONLY)
include_directories(${PROJECT_BINARY_DIR}/generated)

if(WIN32)
  add_compile_definitions(STRICT NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0600 WINVER=0x0600)
  # Both files of the installation carry their runtimes: nothing else needs to be installed.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # GCC 12 reports -Wrestrict inside std::string's own code at -O3 (a known false positive).
  set(CORV_WARNINGS -Wall -Wextra -Wno-restrict)
else()
  set(CORV_WARNINGS -Wall -Wextra)
  # The portable code runs natively under AddressSanitizer and UndefinedBehaviorSanitizer.
  set(CORV_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_compile_options(${CORV_SANITIZE})
  add_link_options(${CORV_SANITIZE})
endif()

# corv_library(NAME SOURCES... [LIBS ...]): a static library of the project with its warnings on.
function(corv_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${CORV_WARNINGS})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
endfunction()

# corv_test(NAME SOURCES... [LIBS ...] [LOCK name]): a GoogleTest program; on Windows CTest runs it
# through Wine. LOCK names a shared thing that its tests must not use at the same time as other tests
# holding the same lock: "desktop" for tests with windows, the clipboard or the settings key (one Wine
# desktop's focus and activation are shared by every process on it).
function(corv_test name)
  cmake_parse_arguments(ARG "" "LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(WIN32)
    # Beside the program and CVIMG32.DLL, which the picture view loads from its own folder.
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  endif()
  target_compile_options(${name} PRIVATE ${CORV_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  # Discovery runs at test time, when Wine is up; a cold Wine start is slow.
  set(props TIMEOUT 120)
  if(ARG_LOCK)
    list(APPEND props RESOURCE_LOCK ${ARG_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 180 PROPERTIES ${props})
endfunction()
