# Holdstill: set-up, build and test entry points.
#   make run    install what is missing, build, and run the main job
#   make test   install what is missing, build, and run every test suite:
#               a normal build, an AddressSanitizer+UBSan build, and a
#               ThreadSanitizer build of the threaded tests
#   make bench  build and run the benchmarks (optimised build); with
#               CORPUS=DIR, time metadata read (against libexif when
#               installed), geotag and a plain copy on each JPEG in DIR
#               (mean, p90 and max per file); with exiftool, the folder
#               geotag against exiftool and cp -r + sync
#               (CAMERA_SAMPLES=DIR: camera JPEGs whose EXIF blocks it uses)
#   make fuzz   build the fuzz targets with clang and run each for FUZZ_SECONDS
SHELL := /bin/bash
.SHELLFLAGS := -eu -o pipefail -c

JOBS         ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CORPUS       ?=
RELEASE      := build/release
ASAN         := build/asan
TSAN         := build/tsan
BENCH        := build/bench
FUZZ         := build/fuzz
CONFIGURE    := cmake -S . -G Ninja -Wno-dev

.PHONY: deps build run test test-normal test-asan test-tsan bench fuzz clean

deps:
	@scripts/install-deps

build: deps
	@$(CONFIGURE) -B $(RELEASE) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(RELEASE) -j $(JOBS)

run: build
	@scripts/run-main $(RELEASE)

test-normal: build
	@cd $(RELEASE) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@$(CONFIGURE) -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DHOLDSTILL_SANITIZER=address >/dev/null
	@cmake --build $(ASAN) -j $(JOBS)
	@cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

test-tsan: deps
	@$(CONFIGURE) -B $(TSAN) -DCMAKE_BUILD_TYPE=Debug -DHOLDSTILL_SANITIZER=thread >/dev/null
	@cmake --build $(TSAN) -j $(JOBS) --target threaded-tests
	@cd $(TSAN) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --output-on-failure -j $(JOBS) -L threads

test: test-normal test-asan test-tsan

bench: deps
	@$(CONFIGURE) -B $(BENCH) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BENCH) -j $(JOBS) --target benchmarks
	@scripts/run-benchmarks $(BENCH) $(CORPUS)

fuzz:
	@HOLDSTILL_WITH_FUZZ=1 scripts/install-deps
	@CC=clang CXX=clang++ $(CONFIGURE) -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHOLDSTILL_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j $(JOBS) --target fuzzers
	@scripts/run-fuzzers $(FUZZ) $(FUZZ_SECONDS)

clean:
	rm -rf build
