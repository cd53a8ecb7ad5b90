# The interpreter benchmark assembles its scenario with the scenario language library and runs
# the screen on the unit tests' fake window backend.
target_link_libraries(bench_${name} PRIVATE qw_scenario_lang)
target_include_directories(bench_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
