# The project's commands. CMake does the building; this file names the jobs.
#   make demo       build, then run every filter on the built-in picture (demo-out/)
#   make test       build and run every test
#   make sanitize   the same tests in an AddressSanitizer + UBSan build
#   make bench      benchmarks (Google Benchmark); BENCH_FILTER=regex picks some
#   make install    build, then install into PREFIX (default /usr/local; DESTDIR is honoured)
#   make clean
# WERROR=1 turns compiler warnings into errors (CI sets it).

BUILD_DIR    ?= build
SANITIZE_DIR ?= build-sanitize
PREFIX       ?= /usr/local
JOBS         ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR    := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
CMAKE_FLAGS  := -DTAMROVI_WERROR=$(if $(WERROR),ON,OFF) $(EXTRA_CMAKE_FLAGS)

.PHONY: all build demo test sanitize bench bench-tools install clean

all: build

build:
	cmake -S . -B $(BUILD_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

demo: build
	./$(BUILD_DIR)/bmpfilters demo demo-out

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

sanitize:
	cmake -S . -B $(SANITIZE_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DTAMROVI_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

BENCH_DIR    ?= build-bench
BENCH_FILTER ?= .
# Repetitions of each benchmark: the closing table gives their medians and
# each one's ratio to a memcpy of the same picture.
BENCH_REPS   ?= 5

bench: bench-tools
	./$(BENCH_DIR)/bench/image_bench --benchmark_filter='$(BENCH_FILTER)' --benchmark_min_time=0.2 \
	  --benchmark_repetitions=$(BENCH_REPS) --benchmark_report_aggregates_only=true

bench-tools:
	cmake -S . -B $(BENCH_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DTAMROVI_BUILD_TESTS=OFF -DTAMROVI_BUILD_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_DIR) -j $(JOBS)

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(BENCH_DIR) demo-out
