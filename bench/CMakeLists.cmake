# Benchmarks and the steady-state allocation test. The benchmark programs are
# maintainer tools (bench/run.sh builds and runs them); Box2D, the physics
# peer, is found here only and never reaches the game or its library.
include(CheckIncludeFileCXX)
set(GRAPNEL_BENCH_DIR ${CMAKE_CURRENT_SOURCE_DIR}/bench)

# The allocation test replaces the global operator new, so it is a binary of
# its own rather than a part of unit_tests.
if(BUILD_TESTING)
  find_package(GTest REQUIRED)
  add_executable(steady_alloc_test ${GRAPNEL_BENCH_DIR}/steady_alloc_test.cpp)
  target_link_libraries(steady_alloc_test PRIVATE grapnel_lib GTest::gtest GTest::gtest_main)
  # C allocations made by the game's own objects go through the counter too.
  target_link_options(steady_alloc_test PRIVATE
    -Wl,--wrap=malloc -Wl,--wrap=calloc -Wl,--wrap=realloc)
  add_test(NAME steady_alloc_test COMMAND steady_alloc_test)
  set_tests_properties(steady_alloc_test PROPERTIES ENVIRONMENT "SDL_AUDIODRIVER=dummy")
endif()

find_package(box2d CONFIG QUIET)
if(box2d_FOUND)
  set(GRAPNEL_BOX2D box2d::box2d)
else()
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(BOX2D QUIET IMPORTED_TARGET box2d)
    if(BOX2D_FOUND)
      set(GRAPNEL_BOX2D PkgConfig::BOX2D)
    endif()
  endif()
endif()
if(NOT GRAPNEL_BOX2D)
  message(STATUS "Box2D not found: the benchmarks run without their physics peer")
endif()

# Scenes shared by the physics benchmarks, with the peer when Box2D is there.
add_library(grapnel_bench_scenes STATIC ${GRAPNEL_BENCH_DIR}/scenes.cpp)
target_link_libraries(grapnel_bench_scenes PUBLIC grapnel_lib)
if(GRAPNEL_BOX2D)
  target_sources(grapnel_bench_scenes PRIVATE ${GRAPNEL_BENCH_DIR}/box2d_peer.cpp)
  target_link_libraries(grapnel_bench_scenes PUBLIC ${GRAPNEL_BOX2D})
  target_compile_definitions(grapnel_bench_scenes PUBLIC GRAPNEL_HAVE_BOX2D)
endif()

check_include_file_cxx(valgrind/callgrind.h GRAPNEL_HAVE_CALLGRIND_H)
if(GRAPNEL_HAVE_CALLGRIND_H)
  add_executable(physics_steps ${GRAPNEL_BENCH_DIR}/physics_steps.cpp)
  target_link_libraries(physics_steps PRIVATE grapnel_bench_scenes)
  add_executable(voice_steps ${GRAPNEL_BENCH_DIR}/voice_steps.cpp)
  target_link_libraries(voice_steps PRIVATE grapnel_lib)
else()
  message(STATUS "valgrind/callgrind.h not found: the instruction counters are not built")
endif()

find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_executable(physics_bench ${GRAPNEL_BENCH_DIR}/physics_bench.cpp)
  target_link_libraries(physics_bench PRIVATE grapnel_bench_scenes benchmark::benchmark)
  add_executable(frame_bench ${GRAPNEL_BENCH_DIR}/frame_bench.cpp)
  target_link_libraries(frame_bench PRIVATE grapnel_lib benchmark::benchmark)
  # Every draw call the game's objects make goes through a counter.
  target_link_options(frame_bench PRIVATE -Wl,--wrap=glDrawArrays)
else()
  message(STATUS "Google Benchmark not found: the timing benchmarks are not built")
endif()

# The floor of every frame figure: a window that only clears and swaps.
add_executable(bare_window ${GRAPNEL_BENCH_DIR}/bare_window.cpp)
target_link_libraries(bare_window PRIVATE grapnel_lib)
# Loaded into the real game and the bare window: counts frames, draw calls
# and the time to the first presented frame, and reports them at exit.
add_library(frame_probe SHARED ${GRAPNEL_BENCH_DIR}/frame_probe.c)
target_link_libraries(frame_probe PRIVATE dl)
