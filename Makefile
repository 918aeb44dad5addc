# The two commands of the README: `make demo` and `make test`. Everything else is a step of them.
SHELL := /bin/bash
.DELETE_ON_ERROR:
JOBS ?= $(shell nproc)
PRESETS := native native-asan fuzz win64 win32
MAKEFLAGS += --no-print-directory

.PHONY: all deps build test demo run clean $(addprefix build-,$(PRESETS))

all: build

deps:
	@scripts/install-deps.sh

build: deps $(addprefix build-,$(PRESETS))

# native first: the Windows tests of both trees use its reader-sim.
build-native:
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)
build-native-asan:
	cmake --preset native-asan >/dev/null
	cmake --build --preset native-asan -j $(JOBS)
build-fuzz:
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
build-win64: build-native
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j $(JOBS)
build-win32: build-native
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)

# Every test of every build, one ctest run over all build trees, one summary at the end, and
# a line on whether the shipped i686 program ran under Wine here or was skipped, and why.
test: build
	@printf 'subdirs(%s)\n' $(PRESETS) > build/CTestTestfile.cmake
	@ctest --test-dir build --output-on-failure --timeout 600; status=$$?; \
	if why=$$(scripts/runs-32bit.sh --why); then \
	    echo "win32.*: the i686 programs ran under Wine's 32-bit loader"; \
	else \
	    echo "win32.* Wine tests skipped: $$why"; \
	fi; \
	exit $$status

# The main job against simulated readers in a throwaway Wine-style prefix.
demo: deps build-native
	@scripts/demo.sh

# The program against this machine's real serial ports and Wine prefix.
run: deps build-native
	build/native/lesamo

clean:
	rm -rf build
