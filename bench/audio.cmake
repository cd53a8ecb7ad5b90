# The mixer beside SDL2_mixer on SDL's disk driver, and our streaming decode beside libvorbisfile.
pkg_check_modules(BENCH_AUDIO REQUIRED IMPORTED_TARGET SDL2_mixer sdl2 vorbisfile)
target_link_libraries(bench_audio PRIVATE qwbackends PkgConfig::BENCH_AUDIO qw_oggenc)
