# make test           install what is missing, build native and windows, run both test suites
# make test-sanitize  the native tests under address/undefined and thread sanitizers
# make demo           the add-in against the stand-in terminal and server, without Excel
# make bench          build and run the benchmarks
# make fuzz           every fuzz target for FUZZ_SECONDS (default 300) each
JOBS ?= $(shell nproc)

.PHONY: demo all deps native windows fuzz-build test test-native test-wine test-fuzz test-sanitize bench fuzz clean
FUZZ_SECONDS ?= 300

all: native windows

deps:
	scripts/install-deps

native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

test-native: native
	@echo "== native tests"
	ctest --preset native -j $(JOBS)

test-wine: windows
	@echo "== Windows tests under Wine"
	scripts/run-wine-tests build/windows

fuzz-build: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)

# A short run of every fuzz target on its seeds, as a smoke test.
test-fuzz: fuzz-build
	@echo "== fuzz smoke"
	scripts/run-fuzzers build/fuzz 5

fuzz: fuzz-build
	scripts/run-fuzzers build/fuzz $(FUZZ_SECONDS)

test: test-native test-wine test-fuzz
	@x86_64-w64-mingw32-objdump -p build/windows/addin/OrraAddin64.xll | scripts/check-dll-imports

test-sanitize: deps
	cmake --preset native-asan >/dev/null
	cmake --build --preset native-asan -j $(JOBS)
	ctest --preset native-asan -j $(JOBS)
	cmake --preset native-tsan >/dev/null
	cmake --build --preset native-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --preset native-tsan -j $(JOBS)

demo: native
	scripts/demo build/native

bench: native
	@for b in build/native/bench/bench_*; do echo "== $$b"; $$b --benchmark_counters_tabular=true || exit 1; done

clean:
	rm -rf build
