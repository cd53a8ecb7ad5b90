# The scene tick plays the built demo game's town chapter (its compiled scenario and its picture
# archive) on the test support's light services, and measures pixman's compositor beside it.
add_dependencies(bench_${name} demo_game)
target_compile_definitions(bench_${name} PRIVATE QW_DEMO_GAME_DIR="${CMAKE_BINARY_DIR}/demo/game")
target_link_libraries(bench_${name} PRIVATE qw_test_support)
pkg_check_modules(BENCH_PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
target_link_libraries(bench_${name} PRIVATE PkgConfig::BENCH_PIXMAN)
