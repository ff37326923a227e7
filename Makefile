# Thin wrapper over CMake presets: the two commands a newcomer needs, and a few more.
#   make run ARGS="preview --artist X --track Y"   build the program alone and run it
#   make test                                       build and run every test (what CI runs)
#   make check                                      the optimised build and its tests only
#   make package                                    the Debian package, build/package/nimbrel_*.deb
.PHONY: deps run test check asan bench bench-e2e bench-desktop fuzz package clean

FUZZ_SECONDS ?= 60

JOBS ?= $(shell nproc)

deps:
	./scripts/install-deps.sh

run: deps
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS) --target nimbrel nimbrel-desktop
	./scripts/run.sh $(ARGS)

test: deps
	./scripts/test.sh

# The quick loop: the optimised build and its tests only.
check: deps
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS)
	ctest --preset ci

# The test build alone: the sanitizers, libstdc++'s assertions, warnings as errors; no fuzzing.
asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan

bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target nimbrel_bench
	./build/release/bench/nimbrel_bench $(BENCH_ARGS)

# The whole program against the fakes, on a private bus with a keyring: latency, bursts, wake-ups, memory.
# About 8 minutes; BENCH_E2E_ARGS="--changes 3 --idle-seconds 10" for a quick look.
bench-e2e: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target nimbrel_e2e_bench
	./tests/support/run-in-session-bus.sh --keyring -- ./build/release/bench/e2e/nimbrel_e2e_bench $(BENCH_E2E_ARGS)

# The desktop program's resident memory after 10 minutes playing (tray, island, the cat dancing), on Xvfb.
bench-desktop: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target nimbrel nimbrel-desktop nimbrel-fake-slack \
		nimbrel-fake-itunes nimbrel-fake-player nimbrel-fake-sni-watcher
	./tests/support/run-in-session-bus.sh --keyring --display -- ./bench/e2e/desktop-memory.sh build/release $(BENCH_SECONDS)

fuzz: deps
	./scripts/run-fuzz.sh $(FUZZ_SECONDS)

# The .deb: a Release build of its own under /usr, cpack, and a look at the result.
package: deps
	JOBS=$(JOBS) ./scripts/package.sh

clean:
	rm -rf build
