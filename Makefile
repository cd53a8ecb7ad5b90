# Thin front door: `make run` plays the demo game, `make test` builds with the sanitizers and runs
# the whole suite (unit, end-to-end, the sound threads under ThreadSanitizer and fuzz smoke runs).
# Everything else is CMake.
JOBS    ?= $(shell nproc)
RELEASE ?= build
ASAN    ?= build-asan
FUZZ    ?= build-fuzz
TSAN    ?= build-tsan
GAME    ?= $(RELEASE)/demo/game
# `make fuzz-long`: every fuzz target (or those whose name matches FUZZ_ONLY) for FUZZ_SECONDS
# each, FUZZ_JOBS at a time, at low priority; the grown corpora stay in $(FUZZ)/fuzz/.
FUZZ_SECONDS ?= 1800
FUZZ_JOBS    ?= 1
# Wall-clock seconds one input may take in those runs (low priority on a busy machine).
FUZZ_INPUT_TIMEOUT ?= 30
FUZZ_ONLY    ?= .
# Until the game has its title screen, `make run` starts the demo's story directly.
GAME_ARGS ?= --start-scenario START

.PHONY: deps configure run run-ui build demo test unit tsan fuzz fuzz-build fuzz-long bench format clean

deps:
	@./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Everything of the release build: engine, tools, tests and benchmarks.
build: configure
	cmake --build $(RELEASE) -j $(JOBS)

# Only what `make run` needs: the engine, and the demo game with the tools that make it.
demo: configure
	cmake --build $(RELEASE) --target quillwork demo_game -j $(JOBS)

run: demo
	$(RELEASE)/src/quillwork $(GAME) $(GAME_ARGS)

# The demo game opened on the control test screen, to try the controls by hand.
run-ui: demo
	cmake --build $(RELEASE) --target quillwork-ui-test -j $(JOBS)
	$(RELEASE)/tests/quillwork-ui-test $(GAME)

unit: deps
	cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQW_SANITIZE=ON -DQW_BENCH=OFF
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ctest --output-on-failure -j $(JOBS)

# The sound tests under ThreadSanitizer, built from only the sources they use (a short build).
tsan: deps
	cmake -S . -B $(TSAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQW_TSAN=ON
	cmake --build $(TSAN) -j $(JOBS)
	cd $(TSAN) && ctest --output-on-failure

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQW_FUZZ=ON
	cmake --build $(FUZZ) -j $(JOBS)

fuzz: fuzz-build
	cd $(FUZZ) && ctest --output-on-failure -j $(JOBS)

fuzz-long: fuzz-build
	cd $(FUZZ) && QW_FUZZ_SECONDS=$(FUZZ_SECONDS) QW_FUZZ_INPUT_TIMEOUT=$(FUZZ_INPUT_TIMEOUT) nice -n 19 ctest -V -j $(FUZZ_JOBS) -R 'fuzz_.*($(FUZZ_ONLY)).*_smoke'

test: unit tsan fuzz

bench: build
	@for b in $(RELEASE)/bench/bench_*; do echo "== $$b"; $$b; done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(RELEASE) $(ASAN) $(FUZZ) $(TSAN)
