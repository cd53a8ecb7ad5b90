# The scene is written in the scenario language and runs on the test support's light services.
target_link_libraries(bench_${name} PRIVATE qw_scenario_lang qw_test_support)
