# Vapryx: the two commands a fresh Debian 12 machine needs are `make run` and `make test`.
# Each installs what it uses first (tools/install-deps.sh), then builds and does its job.
SHELL := /bin/bash
.ONESHELL:
.SHELLFLAGS := -euo pipefail -c

.PHONY: test test-native test-sanitize test-windows test-e2e test-package test-web web bench fuzz soak run run-windows package clean

test: test-native test-sanitize test-windows test-e2e test-package test-web
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
	tools/install-deps.sh native windows gui
	cmake --preset windows
	cmake --build --preset windows
	tools/wine-ctest.sh build/windows

# The real vapryx.scr under Wine on Xvfb displays (after test-windows built it).
test-e2e: test-windows
	tools/install-deps.sh windows gui
	tests/e2e/run.sh build/windows

# The package, built once: its contents, then (as root, for debootstrap and chroot) installed
# by apt-get into a fresh minimal Debian 12 root and run there.
test-package: package
	bash tests/package/check.sh build/release build/release/package/vapryx_*_amd64.deb
	if [ "$$(id -u)" -ne 0 ]; then echo "test-package: the fresh root needs root, skipped"; exit 0; fi
	tools/install-deps.sh fresh
	tools/package-check.sh build/release/package/vapryx_*_amd64.deb

# The web build: build/web/vapryx.html (one self-contained page), vapryx-lively.zip,
# wallpaper-engine/ and vapryx-sim.js (the simulator for node).
web:
	tools/install-deps.sh web
	cmake --preset web
	cmake --build --preset web
	ls build/web/vapryx.html build/web/vapryx-lively.zip build/web/wallpaper-engine/index.html

# The WebAssembly core writes the native simulator's field and ramp, byte for byte; then
# the page in headless chromium, driven by puppeteer-core (pinned in tests/web).
test-web: web
	tools/install-deps.sh native web
	cmake --preset native
	cmake --build --preset native --target vapryx_sim
	bash tests/sim_identity.sh build/web/sim-identity build/native/vapryx-sim node build/web/vapryx-sim.js
	(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)  # a failed install stops here
	node tests/web/page_test.mjs build/web build/native/vapryx-sim

# Fuzzes every target for FUZZ_SECONDS seconds each with libFuzzer; see the README.
FUZZ_SECONDS ?= 60
fuzz:
	tools/install-deps.sh native fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) tools/fuzz.sh

# Long runs, measured (about 13 minutes, not part of make test): 100,000 engine steps under
# the sanitizers, then vapryx.scr /s under Wine for SOAK_MINUTES (default 10).
soak:
	tools/install-deps.sh native windows gui
	cmake --preset sanitize
	cmake --build --preset sanitize --target vapryx_engine_soak
	cmake --preset windows
	cmake --build --preset windows --target vapryx_saver
	tools/soak.sh build/sanitize build/windows

bench:
	tools/install-deps.sh native
	cmake --preset native
	cmake --build --preset native --target vapryx_bench
	build/native/vapryx_bench

# The Debian package: build/release/package/vapryx_<version>_amd64.deb, built as a packager
# builds it (-DBUILD_TESTING=OFF, with the test and benchmark libraries out of reach).
package:
	tools/install-deps.sh native
	cmake --preset release
	cmake --build --preset release
	(cd build/release && cpack)
	ls build/release/package/vapryx_*_amd64.deb

# vapryx in its own window: on your display when DISPLAY is set, else on a private Xvfb with
# a screenshot after about five seconds.
run:
	tools/install-deps.sh native
	cmake --preset native
	cmake --build --preset native --target vapryx
	tools/run-linux.sh build/native

# The Windows saver full screen under Wine, the same way.
run-windows:
	tools/install-deps.sh native windows gui
	cmake --preset windows
	cmake --build --preset windows --target vapryx_saver
	tools/run-saver.sh build/windows

clean:
	rm -rf build
