# The renderer's peers: pixman's compositor and SDL2's software blitter.
pkg_check_modules(BENCH_PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
pkg_check_modules(BENCH_SDL2 REQUIRED IMPORTED_TARGET sdl2)
target_link_libraries(bench_${name} PRIVATE PkgConfig::BENCH_PIXMAN PkgConfig::BENCH_SDL2)
