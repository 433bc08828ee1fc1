# Thin front over the CMake presets. `make test` and `make run` install what
# a fresh Debian 12 machine lacks first (tools/setup.sh is idempotent).
.PHONY: test-asan test-tsan test-fuzz setup build build-linux build-windows build-windows64 test test-linux test-windows test-windows64 run clean

setup:
	@bash tools/setup.sh

build-linux: setup
	@cmake --preset linux >/dev/null
	@cmake --build --preset linux

build-windows: setup
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows

build-windows64: setup
	@cmake --preset windows64 >/dev/null
	@cmake --build --preset windows64

build: build-linux build-windows build-windows64

test-linux: build-linux
	@ctest --preset linux

test-windows: build-windows
	@ctest --preset windows

test-windows64: build-windows64
	@ctest --preset windows64

# The native tests again under AddressSanitizer + UBSan (all but the slow
# end-to-end window runs) and the threaded parts under ThreadSanitizer,
# among them a scripted user beside the sampling loop in real time.
test-asan: setup
	@cmake --preset linux-asan >/dev/null
	@cmake --build --preset linux-asan
	@ctest --preset linux-asan -E '^e2e_'

test-tsan: setup
	@cmake --preset linux-tsan >/dev/null
	@cmake --build --preset linux-tsan
	@ctest --preset linux-tsan -R 'test_sampling_loop|test_input|test_screen$$|test_log|test_entry|test_robust_churn'

# Every fuzz target of the libFuzzer build for 20 s, each on a scratch copy
# of its seed corpus; fails when one finds something (fuzz/run_fuzzers.sh).
test-fuzz: setup
	@cmake --preset linux-fuzz >/dev/null
	@cmake --build --preset linux-fuzz
	@bash fuzz/run_fuzzers.sh build/linux-fuzz 20

test: test-linux test-windows test-windows64 test-asan test-tsan test-fuzz

run: build-linux
	@bash tools/run.sh

clean:
	rm -rf build
