# Thin wrapper over the CMake presets. `make test` and `make run` work on a fresh Debian 12 machine.
PRESET ?= default
BUILD  := $(if $(filter default,$(PRESET)),build,build-$(PRESET))
SAMPLE := assembler/data/sample.asm

.PHONY: all deps configure build test run bench package asan asan-core fuzz windows windows-test \
	windows-package clean

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

# The libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer), each run for
# FUZZ_SECONDS seconds. Inputs that found something new are kept in build-fuzz/corpus/; the seed
# corpora are the example programs, the test data and the generated instruction tables.
FUZZ_SECONDS ?= 60
FUZZ_RUN = build-fuzz/fuzz/fuzz_$(1) -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	build-fuzz/corpus/$(1) $(2)
fuzz: deps
	@if [ ! -f build-fuzz/build.ninja ]; then cmake --preset fuzz; fi
	cmake --build --preset fuzz
	@mkdir -p build-fuzz/corpus/pipeline build-fuzz/corpus/parsers build-fuzz/corpus/tables \
	  build-fuzz/corpus/machine build-fuzz/corpus/encoding
	$(call FUZZ_RUN,pipeline,examples tests/data/cli tests/data/gui assembler/data)
	$(call FUZZ_RUN,parsers,fuzz/seeds/parsers)
	$(call FUZZ_RUN,tables,build-fuzz/orlek/bin)
	$(call FUZZ_RUN,machine,tests/data/cli)
	$(call FUZZ_RUN,encoding,tests/data/gui tests/data/cli examples)

# The Qt-free layers, their tests and orlek-cli.exe for Windows (MinGW-w64), in build-windows/.
windows:
	@scripts/install-windows-deps
	@if [ ! -f build-windows/build.ninja ]; then cmake --preset windows; fi
	cmake --build --preset windows

# Those tests and orlek-cli.exe run under Wine, without a display.
windows-test: windows
	scripts/test-windows

# build-windows/orlek-VERSION-windows.zip: orlek-cli.exe with its program directory (bin/, help/)
# and the example programs, ready to unpack anywhere.
windows-package: windows
	cmake --build --preset windows --target windows-package

clean:
	rm -rf build build-asan build-asan-core build-fuzz build-windows
