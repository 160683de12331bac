# Thin wrapper over the CMake presets. `make test` and `make run` work on a fresh Debian 12 machine.
PRESET ?= default
BUILD  := $(if $(filter default,$(PRESET)),build,build-$(PRESET))
SAMPLE := assembler/data/sample.asm

.PHONY: all deps configure build test run bench package asan asan-core clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then cmake --preset $(PRESET); fi

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

# The workbench with its sample program; falls back to the command-line front end on a machine
# without a display.
run: build
	@if [ -x $(BUILD)/orlek/orlek ] && { [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; }; then \
	  $(BUILD)/orlek/orlek; \
	else \
	  $(BUILD)/orlek/orlek-cli run $(SAMPLE) --steps 200 --mem 1000:2; \
	fi

bench: build
	cmake --build --preset $(PRESET) --target benchmarks
	@for b in $(BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] && "$$b" || true; done

# The Debian package (build/orlek_VERSION_ARCH.deb), checked in a scratch root.
package: build
	cd $(BUILD) && cpack -G DEB
	scripts/check-package $(BUILD)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	$(MAKE) test PRESET=asan

# The Qt-free libraries and their tests under the sanitizers (run by CI).
asan-core:
	$(MAKE) test PRESET=asan-core

clean:
	rm -rf build build-asan build-asan-core
