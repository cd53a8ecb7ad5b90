# Inputs are written in the scenario language.
target_link_libraries(bench_${name} PRIVATE qw_scenario_lang)
