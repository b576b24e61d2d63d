# Tunelink: `make run` starts the radio, `make test` builds and passes the tests.
# Both install what they need first (Debian 12; run as root or with sudo).

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
WERROR     ?= $(if $(CI),ON,OFF)
JOBS       ?= $(shell nproc)

export CCACHE_BASEDIR := $(abspath $(CURDIR)/..)
export CCACHE_NOHASHDIR := 1
export CCACHE_DIR ?= $(HOME)/.cache/ccache

CMAKE_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTUNELINK_WERROR=$(WERROR)

.PHONY: all deps build run test test-asan test-tsan fuzz soak bench format clean package

all: build

deps:
	@bash scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run-radio $(BUILD)/app/tunelink

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 600

# Unit tests again with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B build-asan $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DTUNELINK_SANITIZE=ON -DTUNELINK_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS) --timeout 900 -LE e2e

# The threaded parts under ThreadSanitizer.
test-tsan: deps
	cmake -S . -B build-tsan $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DTUNELINK_TSAN=ON -DTUNELINK_BENCH=OFF
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -L threads

# Every fuzz target for FUZZ_SECONDS (default 30) each.
FUZZ_SECONDS ?= 30
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTUNELINK_FUZZ=ON -DTUNELINK_TESTS=OFF -DTUNELINK_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_all
	@bash scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

# A Debian package of the program, desktop entry, icons and metainfo.
package: build
	cd $(BUILD) && cpack -G DEB

# A long run of the real program (SOAK_MINUTES, default 20): memory, threads, descriptors.
SOAK_MINUTES ?= 20
soak: build
	SOAK_MINUTES=$(SOAK_MINUTES) TUNELINK_BINARY_DIR=$(abspath $(BUILD)) $(BUILD)/tests/tests_app \
	  --gtest_also_run_disabled_tests --gtest_filter='Soak.*'

# Microbenchmarks, then the real program from outside: start-up to the first frame, time
# from Play and from a change of station to sound heard through a private PulseAudio server
# next to a bare Qt 6 playbin program and mpv, and memory and CPU while playing next to the
# bare program (about eight minutes).
bench: build
	$(BUILD)/bench/tunelink_bench
	$(BUILD)/bench/tunelink_process_bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
