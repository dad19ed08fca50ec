# The front door. `make test` sets the machine up, builds everything and runs every test.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
CACHE ?= $(or $(SNAPFERRY_CACHE),$(HOME)/.cache/snapferry)
export SNAPFERRY_CACHE := $(CACHE)

WIN_TARGETS := x86_64 i686
BUILD := build

.PHONY: all setup build test test-native test-windows check-imports demo bench fuzz gallery clean

all: build

setup:
	@scripts/setup.sh

# Configure on first use; later runs only rebuild what is stale.
$(BUILD)/%/CMakeCache.txt:
	cmake -S . -B $(BUILD)/$* -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-$*-w64-mingw32.cmake \
	  -DSF_DEPS_DIR=$(CACHE)/deps/$*-w64-mingw32 \
	  -DCMAKE_CROSSCOMPILING_EMULATOR=$(CURDIR)/scripts/wine-run
$(BUILD)/native/CMakeCache.txt:
	cmake -S . -B $(BUILD)/native

build: setup $(addsuffix /CMakeCache.txt,$(addprefix $(BUILD)/,$(WIN_TARGETS) native))
	@for t in $(WIN_TARGETS) native; do cmake --build $(BUILD)/$$t -j $(JOBS) || exit 1; done

test-native: build
	cd $(BUILD)/native && ctest --output-on-failure -j $(JOBS)

test-windows: build
	scripts/wine-session.sh scripts/windows-suites.sh $(BUILD) $(JOBS)

check-imports: build
	scripts/check-imports.sh $(BUILD)/x86_64/src/Snapferry64.dll $(BUILD)/x86_64/src/npSnapferry.dll \
	  $(BUILD)/i686/src/npSnapferry.dll

test: build test-native test-windows check-imports

# Each of these is a script of its own.
demo: build
	scripts/demo.sh

bench: build
	scripts/bench.sh

# Pictures of every control and dialog, drawn by the real windows under Xvfb.
gallery: build
	scripts/wine-session.sh tools/bin/snapferry gallery $(BUILD)/gallery
	@echo "pictures in $(BUILD)/gallery"

fuzz: setup
	scripts/fuzz.sh

clean:
	rm -rf $(BUILD)
