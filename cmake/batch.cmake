# graspstat-batch: the calculations run headless from a script, JSON out.
find_package(CLI11 CONFIG REQUIRED)
find_package(nlohmann_json 3.9 CONFIG REQUIRED)
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo fontconfig) # map pictures and their text

# Everything but the command line, so the tests can reach it directly.
file(GLOB BATCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/*.cpp)
list(REMOVE_ITEM BATCH_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tools/batch_main.cpp)
add_library(graspbatch STATIC ${BATCH_SOURCES})
target_include_directories(graspbatch PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(graspbatch PUBLIC graspcore nlohmann_json::nlohmann_json PkgConfig::CAIRO
  Threads::Threads)

add_executable(graspstat-batch tools/batch_main.cpp)
target_link_libraries(graspstat-batch PRIVATE graspbatch CLI11::CLI11)
set_target_properties(graspstat-batch PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The test program is defined after this file is read: link it to the batch
# library and have it build the executable its tests run, once it exists.
cmake_language(DEFER CALL target_link_libraries graspstat_tests PRIVATE graspbatch)
cmake_language(DEFER CALL add_dependencies graspstat_tests graspstat-batch)

# The benchmarks (absent from sanitizer builds) time the map's point solves.
function(graspbatch_link_bench)
  if(TARGET graspstat_bench)
    target_link_libraries(graspstat_bench PRIVATE graspbatch)
  endif()
endfunction()
cmake_language(DEFER CALL graspbatch_link_bench)
