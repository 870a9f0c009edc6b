# The project's commands. CMake does the building; this file names the jobs.
#   make demo       build the tool and the library only, then run every filter on the
#                   built-in picture (demo-out/, with a labelled contact sheet)
#   make test       build and run every test
#   make sanitize   the same tests in an AddressSanitizer + UBSan build
#   make test-scale batch on a single-node Slurm started for the test (as root) and on GNU parallel
#   make bench      benchmarks (Google Benchmark); BENCH_FILTER=regex picks some
#   make fuzz       build the fuzz target with clang and run it SECONDS seconds (default 60)
#   make fuzz-seeds rewrite the fuzz target's seed corpus (fuzz/corpus) from the test helpers
#   make valgrind   the tests under valgrind's memcheck
#   make install    build, then install into PREFIX (default /usr/local; DESTDIR is honoured)
#   make windows    cross-build the Windows DLL and tool with MinGW-w64 (build-windows/)
#   make test-windows  ... and run the suites and the DLL's host program under Wine
#   make cross ARCH=armhf|aarch64|s390x   cross-build for Linux on that processor (build-ARCH/)
#   make test-cross ARCH=...              ... and run the suites under qemu-user
#   make clean
# WERROR=1 turns compiler warnings into errors (CI sets it).

BUILD_DIR    ?= build
SANITIZE_DIR ?= build-sanitize
PREFIX       ?= /usr/local
JOBS         ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR    := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
CMAKE_FLAGS  := -DTAMROVI_WERROR=$(if $(WERROR),ON,OFF) $(EXTRA_CMAKE_FLAGS)

.PHONY: all configure build demo test sanitize fuzz fuzz-tools fuzz-seeds valgrind bench bench-tools install clean \
	windows test-windows cross test-cross test-scale

all: build

configure:
	cmake -S . -B $(BUILD_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The demo needs no test: it builds the two targets it runs.
demo: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target bmpfilters tamrovibmpfilters tamrovi
	./$(BUILD_DIR)/bmpfilters demo demo-out

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# A real scheduler: slurmctld and slurmd started on this machine with a
# configuration of their own in a temporary folder, then GNU parallel.
test-scale: build
	bash tests/scale/slurm_test.sh $(BUILD_DIR)/bmpfilters

sanitize:
	cmake -S . -B $(SANITIZE_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DTAMROVI_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

# The fuzzer writes what it finds new into FUZZ_DIR/corpus and each failing
# input into FUZZ_DIR/findings; the committed seeds in fuzz/corpus stay as they
# are. One job, at low priority: the machine is shared.
FUZZ_DIR     ?= build-fuzz
SECONDS      ?= 60
FUZZ_FLAGS   ?=

fuzz: fuzz-tools
	mkdir -p $(FUZZ_DIR)/corpus $(FUZZ_DIR)/findings
	nice -n 10 ./$(FUZZ_DIR)/bmp_fuzzer $(FUZZ_DIR)/corpus fuzz/corpus -max_total_time=$(SECONDS) \
	  -max_len=8192 -timeout=20 -rss_limit_mb=3072 -print_final_stats=1 \
	  -artifact_prefix=$(FUZZ_DIR)/findings/ $(FUZZ_FLAGS)

fuzz-tools:
	cmake -S . -B $(FUZZ_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DTAMROVI_FUZZ=ON -DTAMROVI_BUILD_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target bmp_fuzzer

fuzz-seeds: build
	rm -f fuzz/corpus/*.bmp
	mkdir -p fuzz/corpus
	./$(BUILD_DIR)/tests/make_seed_corpus fuzz/corpus

# Memcheck follows the suites into the tool, which it can only check when the
# tool is linked dynamically: a build of its own.
VALGRIND_DIR ?= build-valgrind

valgrind:
	cmake -S . -B $(VALGRIND_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DTAMROVI_STATIC_TOOL=OFF $(CMAKE_FLAGS)
	cmake --build $(VALGRIND_DIR) -j $(JOBS)
	nice bash tests/valgrind.sh $(VALGRIND_DIR)

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

# Other systems and processors, each from a toolchain file in cmake/. Their
# suites run one process each under Wine or qemu-user; CTest runs two at once.
WINDOWS_DIR  ?= build-windows
ARCH         ?= armhf
CROSS_DIR    ?= build-$(ARCH)

windows:
	cmake -S . -B $(WINDOWS_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW-w64-x86_64.cmake $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

# One wineserver for the whole run: left to itself it exits when a process
# ends, and a suite's next process that reaches it as it goes fails at once
# ("Connection reset by peer"). Made first, then kept up until the suites end.
WINE_ENV := WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d DISPLAY= WINEPREFIX=$(abspath $(WINDOWS_DIR))/wineprefix

test-windows: build windows
	mkdir -p $(WINDOWS_DIR)/wineprefix
	$(WINE_ENV) wineserver -p
	$(WINE_ENV) wineboot -i >/dev/null 2>&1
	status=0; ctest --test-dir $(WINDOWS_DIR) --output-on-failure -j $(JOBS) || status=$$?; \
	  $(WINE_ENV) wineserver -k || true; exit $$status

cross:
	cmake -S . -B $(CROSS_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/Linux-$(ARCH).cmake $(CMAKE_FLAGS)
	cmake --build $(CROSS_DIR) -j $(JOBS)

test-cross: cross
	ctest --test-dir $(CROSS_DIR) --output-on-failure -j $(JOBS)

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(BENCH_DIR) $(FUZZ_DIR) $(VALGRIND_DIR) $(WINDOWS_DIR) build-armhf build-aarch64 build-s390x demo-out
