# Thin front over the CMake presets. `make test` and `make run` install what
# a fresh Debian 12 machine lacks first (tools/setup.sh is idempotent).
.PHONY: help setup build build-linux build-windows build-windows64 test test-linux test-windows \
        test-windows64 test-asan test-tsan test-fuzz test-bench test-package package run clean

help:
	@echo "make run              install what is missing, build, start the monitor"
	@echo "make test             every suite (linux windows windows64 package asan tsan fuzz bench), one table at the end"
	@echo "make test-SUITE       one suite: test-linux, test-windows, test-windows64, test-package, test-asan, test-tsan, test-fuzz, test-bench"
	@echo "make build            build the linux, windows and windows64 presets"
	@echo "make build-SUITE      build-linux, build-windows, build-windows64"
	@echo "make package          the release files in build/package/: the Windows zip and the .deb packages"
	@echo "make setup            install the Debian packages the project needs"
	@echo "make clean            remove build/"

setup:
	@bash tools/setup.sh

build-linux: setup
	@cmake --preset linux
	@cmake --build --preset linux

build-windows: setup
	@cmake --preset windows
	@cmake --build --preset windows

build-windows64: setup
	@cmake --preset windows64
	@cmake --build --preset windows64

build: build-linux build-windows build-windows64

# Every suite, even when one fails; a table of passed / failed / skipped per
# suite at the end, and status 1 if anything failed (tools/test_all.sh). The
# sanitizer suites run the native tests under AddressSanitizer + UBSan (all
# but the slow end-to-end window runs) and the threaded parts under
# ThreadSanitizer; the fuzz suite runs every libFuzzer target for 20 s.
test: setup
	@bash tools/test_all.sh

test-linux test-windows test-windows64 test-package test-asan test-tsan test-fuzz test-bench: setup
	@bash tools/test_all.sh $(@:test-%=%)

# The Windows zip and the .deb packages (tools/package.sh); the package suite
# (make test-package) makes them and tests them as a user gets them.
package: setup
	@bash tools/package.sh

run: build-linux
	@bash tools/run.sh

clean:
	rm -rf build
