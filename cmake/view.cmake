# The window side: unit tests of the GL-free drawing geometry, the
# end-to-end suite that drives the real program in its own X server, and the
# frame benchmark.

# This file is included before the main list sets up testing; do it here too.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
find_package(OpenGL REQUIRED)
find_package(GLUT REQUIRED)
# the window's event loop watches its X window (destroyed by the window system)
find_package(X11 REQUIRED)
target_link_libraries(graspstat PRIVATE X11::X11)

# Drawing geometry and overlay texts, checked without a GL context.
add_executable(graspstat_view_tests
  tests/view/view_geometry_test.cpp tests/view/banners_test.cpp
  src/view/view_geometry.cpp src/view/banners.cpp)
target_link_libraries(graspstat_view_tests PRIVATE graspcore GTest::gtest GTest::gtest_main)
gtest_discover_tests(graspstat_view_tests DISCOVERY_TIMEOUT 60)

# End-to-end: each test starts Xvfb on a free display, runs build/graspstat,
# types keys with xdotool and checks the frames (xwd, tesseract, apitrace).
# Labelled nosan: the sanitizer pass skips them.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/e2e/test_*.py)
  foreach(t ${E2E_TESTS})
    get_filename_component(name ${t} NAME_WE)
    string(REGEX REPLACE "^test_" "e2e_" name ${name})
    add_test(NAME ${name}
      COMMAND ${Python3_EXECUTABLE} ${t} --binary $<TARGET_FILE:graspstat>
              --work ${CMAKE_BINARY_DIR}/e2e/${name})
    set_tests_properties(${name} PROPERTIES LABELS "nosan;e2e" TIMEOUT 120)
  endforeach()
endif()

# Frame benchmark (needs an X display; scripts/frame-bench.sh provides one).
if(GRASPSTAT_BENCH AND NOT GRASPSTAT_SANITIZE)
  find_package(benchmark REQUIRED)
  file(GLOB FRAME_BENCH_VIEW CONFIGURE_DEPENDS src/view/*.cpp)
  add_executable(graspstat_frame_bench bench/frame/frame_bench.cpp ${FRAME_BENCH_VIEW})
  target_link_libraries(graspstat_frame_bench PRIVATE graspcore benchmark::benchmark
                        OpenGL::GL OpenGL::GLU GLUT::GLUT X11::X11)
  # reference frames drop the drawing's own flushes (see the benchmark)
  target_link_options(graspstat_frame_bench PRIVATE -Wl,--wrap=glFlush)
endif()
