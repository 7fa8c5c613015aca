# The physics benchmark (Google Benchmark): built only when the library is found.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_executable(physics_bench ${CMAKE_CURRENT_SOURCE_DIR}/bench/physics_bench.cpp)
  target_link_libraries(physics_bench PRIVATE grapnel_lib benchmark::benchmark)
else()
  message(STATUS "Google Benchmark not found: physics_bench is not built")
endif()
