# The commands of the README: `make demo`, `make test` and `make dist`. Everything else is a step of them.
SHELL := /bin/bash
.SHELLFLAGS := -o pipefail -c
.DELETE_ON_ERROR:
JOBS ?= $(shell nproc)
PRESETS := native native-asan fuzz win64 win32
MAKEFLAGS += --no-print-directory

.PHONY: all deps build test check dist demo run clean $(addprefix build-,$(PRESETS))

all: build

deps:
	@scripts/install-deps.sh

build: deps $(addprefix build-,$(PRESETS))

# Each is the CMake workflow preset of that name: configure, then build, on every core. The
# native tree comes first: the Windows tests of both trees use its lesamo-reader-sim.
export CMAKE_BUILD_PARALLEL_LEVEL := $(JOBS)
build-native build-native-asan build-fuzz:
	cmake --workflow --preset $(@:build-%=%) | { grep -v '^-- ' || true; }
build-win64 build-win32: build-native
	cmake --workflow --preset $(@:build-%=%) | { grep -v '^-- ' || true; }

# Tests side by side: most of them wait on Wine, Xvfb, tmux or a simulated line rather than
# on the processors. tests/resources.json keeps the timing-bound ones apart from the heavy ones
# (cmake/TestKinds.cmake).
TEST_JOBS ?= 6
CTEST := ctest --output-on-failure --resource-spec-file $(CURDIR)/tests/resources.json -j$(TEST_JOBS)

# Every test of every build, one ctest run over all build trees, one summary at the end, and
# a line on whether the shipped i686 program ran under Wine here or was skipped, and why.
test: build
	@printf 'subdirs(%s)\n' $(PRESETS) > build/CTestTestfile.cmake
	@$(CTEST) --test-dir build --timeout 600; status=$$?; \
	if why=$$(scripts/runs-32bit.sh --why); then \
	    echo "win32.*: the i686 programs ran under Wine's 32-bit loader"; \
	else \
	    echo "win32.* Wine tests skipped: $$why"; \
	fi; \
	exit $$status

# The inner loop: the native tree, and its unit and integration tests (those without a label).
check: deps build-native
	@$(CTEST) --test-dir build/native --label-exclude .

# The releases in build/dist/: the Debian package of the native tree (checked with lintian),
# the zip of the shipped i686 program, the source tarball of HEAD and SHA256SUMS over them.
dist: deps build-native build-win32
	@scripts/dist.sh --deb build/native --zip build/win32 --source . build/dist

# The main job against simulated readers in a throwaway Wine-style prefix.
demo: deps build-native
	@scripts/demo.sh

# The program against this machine's real serial ports and Wine prefix.
run: deps build-native
	build/native/lesamo

clean:
	rm -rf build
