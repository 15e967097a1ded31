# Vapryx: the two commands a fresh Debian 12 machine needs are `make run` and `make test`.
# Each installs what it uses first (tools/install-deps.sh), then builds and does its job.
SHELL := /bin/bash
.ONESHELL:
.SHELLFLAGS := -euo pipefail -c

.PHONY: test test-native test-sanitize test-windows bench run clean

test: test-native test-sanitize test-windows
	@echo "make test: all builds passed"

test-native:
	tools/install-deps.sh native
	cmake --preset native
	cmake --build --preset native
	ctest --preset native

test-sanitize:
	tools/install-deps.sh native
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

test-windows:
	tools/install-deps.sh native windows
	cmake --preset windows
	cmake --build --preset windows
	tools/wine-ctest.sh build/windows

bench:
	tools/install-deps.sh native
	cmake --preset native
	cmake --build --preset native --target vapryx_bench
	build/native/vapryx_bench

run:
	@echo "make run: the saver itself (vapryx.scr) is not built yet; only the engine and its tests exist." >&2
	exit 1

clean:
	rm -rf build
