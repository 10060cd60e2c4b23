# make test           install what is missing, build native and windows, run both test suites
# make test-sanitize  the native tests under address/undefined and thread sanitizers
# make bench          build and run the benchmarks
JOBS ?= $(shell nproc)

.PHONY: all deps native windows test test-native test-wine test-sanitize bench clean

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

test: test-native test-wine
	@x86_64-w64-mingw32-objdump -p build/windows/addin/OrraAddin64.xll | scripts/check-dll-imports

test-sanitize: deps
	cmake --preset native-asan >/dev/null
	cmake --build --preset native-asan -j $(JOBS)
	ctest --preset native-asan -j $(JOBS)
	cmake --preset native-tsan >/dev/null
	cmake --build --preset native-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --preset native-tsan -j $(JOBS)

bench: native
	@for b in build/native/bench/bench_*; do echo "== $$b"; $$b --benchmark_counters_tabular=true || exit 1; done

clean:
	rm -rf build
