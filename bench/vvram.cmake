# The pages' peers: pixman's compositor.
pkg_check_modules(BENCH_PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
target_link_libraries(bench_${name} PRIVATE PkgConfig::BENCH_PIXMAN)
