# The saved games' peers: plain file writes and reads, memcpy, and pixman's bilinear OVER for the
# thumbnail; the load point runs a scenario screen on the test support's light services.
pkg_check_modules(BENCH_PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
target_link_libraries(bench_${name} PRIVATE PkgConfig::BENCH_PIXMAN qw_test_support)
