# make test           install what is missing; the native tests under ASan+UBSan and under TSan,
#                     the Windows build and its tests and the xlhost scenarios under Wine, a
#                     short fuzz run; each phase prints how long it took
# make test-native    the native tests in the plain optimised build
# make test-xlhost-addin  OrraAddin64.xll's cells in the stand-in Excel under Wine
# make test-sanitize  the native tests under address/undefined and thread sanitizers
# make demo           OrraAddin64.xll in the stand-in Excel under Wine, against the stand-in
#                     terminal and server
# make demo-native    the add-in's pipeline against them natively, without Excel or Wine
# make bench          build and run the benchmarks
# make bench-windows  the COM shell's and the navigator's windows' cost against the portable logic, under Wine
# make fuzz           every fuzz target for FUZZ_SECONDS (default 300) each
JOBS ?= $(shell nproc)

.PHONY: demo demo-native all deps native windows fuzz-build asan-build test test-native test-wine test-xlhost test-xlhost-addin test-fuzz test-asan test-tsan test-sanitize bench bench-windows fuzz clean
FUZZ_SECONDS ?= 300

all: native windows

deps:
	@scripts/phase deps scripts/install-deps

native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

windows: deps
	cmake --preset windows >/dev/null
	@scripts/phase "windows build" cmake --build --preset windows -j $(JOBS)

test-native: native
	@echo "== native tests"
	ctest --preset native -j $(JOBS)

test-wine: windows
	@echo "== Windows tests under Wine"
	@scripts/phase "wine tests" scripts/run-wine-tests build/windows

# The stand-in Excel proved against its own fixture XLL (its windows driven and photographed
# under Xvfb: build/windows/screenshots), then the product's XLL in it.
test-xlhost: windows
	@echo "== xlhost scenarios under Wine"
	@scripts/phase "xlhost fixture" scripts/run-xlhost build/windows build/windows/bin/xlhost_fixture.xll tools/xlhost/scenarios/fixture_*.txt
	@scripts/phase "xlhost screens" scripts/run-xlhost-screens build/windows build/windows/bin/xlhost_fixture.xll tools/xlhost/scenarios/window_*.txt
	$(xlhost_addin)

# Registered as a COM server, with the stand-in terminal and server around it, so that its RTD
# server is the real one; its dialogs driven and photographed under Xvfb (build/windows/screenshots).
# One recipe for both targets: a nested make would configure and check the Windows build again.
define xlhost_addin
	@scripts/phase "xlhost addin" bash -c 'set -e; \
	  scripts/run-xlhost build/windows build/windows/addin/OrraAddin64.xll tools/xlhost/scenarios/addin_session.txt; \
	  scripts/run-xlhost-served build/windows build/windows/addin/OrraAddin64.xll tools/xlhost/scenarios/xdp_cells.txt \
	    tools/xlhost/scenarios/xdp_server.txt tools/xlhost/scenarios/xdp_load_loop.txt; \
	  XLHOST_SCREENS=1 scripts/run-xlhost-served build/windows build/windows/addin/OrraAddin64.xll \
	    tools/xlhost/scenarios/dialog_*.txt'
endef

test-xlhost-addin: windows
	$(xlhost_addin)

fuzz-build: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)

# A short run of every fuzz target on its seeds, as a smoke test. The targets come from the
# sanitizer build the native tests run in, so that `make test` compiles the product with clang
# once; the fuzz preset, optimised and without tests, is for the long runs of `make fuzz`.
test-fuzz: asan-build
	@echo "== fuzz smoke"
	@scripts/phase "fuzz smoke" scripts/run-fuzzers build/native-asan 5

fuzz: fuzz-build
	scripts/run-fuzzers build/fuzz $(FUZZ_SECONDS)

# The sanitizer runs take the place of the plain native test run: the same ctest cases (the
# end-to-end ones start the sanitized tools), each also checked for memory errors, undefined
# behaviour and data races (TSan leaves out the tests of code that runs on one thread only,
# marked ONE_THREAD). The plain build adds nothing they miss, and leaving it out keeps
# `make test` under 30 minutes on two cores. They build at -O1; the sanitizer options are in
# the test presets.
test: test-asan test-tsan test-wine test-xlhost test-fuzz
	@x86_64-w64-mingw32-objdump -p build/windows/addin/OrraAddin64.xll | scripts/check-dll-imports
	@x86_64-w64-mingw32-objdump -p build/windows/addin/OrraAddin64.xll | scripts/check-dll-exports

# clang with ASan and UBSan builds everything native: the tests and the tools they start, the
# benchmarks (compiled, not run, so that a change cannot leave them broken), the fuzz targets,
# and the whole product under the thread-safety analysis, whose findings are errors.
asan-build: deps
	cmake --preset native-asan >/dev/null
	@scripts/phase "asan build" cmake --build --preset native-asan -j $(JOBS)

test-asan: asan-build
	@echo "== native tests under ASan and UBSan"
	@scripts/phase "asan tests" ctest --preset native-asan -j $(JOBS)

# GCC's thread sanitizer builds only the test executables and the tools the tests start
# (scripts/build-tests).
test-tsan: deps
	@echo "== native tests under TSan"
	@scripts/phase "tsan build" scripts/build-tests native-tsan $(JOBS)
	@scripts/phase "tsan tests" ctest --preset native-tsan -j $(JOBS)

test-sanitize: test-asan test-tsan

# The real DLL in the stand-in Excel under Wine, against the stand-in terminal and server.
demo: windows
	cmake --preset native >/dev/null && cmake --build --preset native -j $(JOBS) --target orra-server orra-terminal
	scripts/run-xlhost-served build/windows build/windows/addin/OrraAddin64.xll tools/demo/xlhost_demo.txt

# The same pipeline natively, without Excel or Wine: `orra sheet` over the demo sheet.
demo-native: native
	scripts/demo build/native

bench: native
	@for b in build/native/bench/bench_*; do echo "== $$b"; $$b --benchmark_counters_tabular=true || exit 1; done

# The real DLL's IRtdServer through IDispatch against RtdServer alone, in one process under
# Wine, in the prefix the Windows tests use.
bench-windows: windows
	@bash -c 'source scripts/wine-env && wine_prefix_ready build/windows && \
	  "$$WINE" build/windows/addin/bench_com_rtd.exe && "$$WINE" build/windows/bench/bench_ui_windows.exe; rc=$$?; \
	  "$$WINESERVER" -k 2>/dev/null; exit $$rc'

clean:
	rm -rf build
