# Native build: the portable code, its tests, fuzzers, benchmarks and developer tools.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

if(CORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(corvane_portable STATIC ${CORVANE_PORTABLE_SOURCES})
target_include_directories(corvane_portable PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(corvane_portable PRIVATE ${CORVANE_WARNINGS})

file(GLOB CORVANE_NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${CORVANE_NATIVE_TESTS})
target_compile_options(native_tests PRIVATE ${CORVANE_WARNINGS})
target_compile_definitions(native_tests PRIVATE
  CORVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" CORVANE_BINARY_DIR="${CMAKE_BINARY_DIR}")
target_link_libraries(native_tests PRIVATE corvane_portable GTest::gtest_main Threads::Threads)

enable_testing()
include(GoogleTest)
gtest_discover_tests(native_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)

foreach(sub skins tools bench fuzz)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${sub}/CMakeLists.txt)
    add_subdirectory(${sub})
  endif()
endforeach()
