# The interpreter benchmark assembles its scenario with the scenario language library and runs
# the screen on the test support's fake window backend.
target_link_libraries(bench_${name} PRIVATE qw_scenario_lang qw_test_support)
