# Entry points: `make run` starts the program under Wine, `make test` builds and runs every test.
# Both install what is missing first, so they work on a fresh Debian 12 machine (as root).
#
# Two flavours of the same sources: win32, the 32-bit program that ships, and win64, for machines
# that cannot run 32-bit programs. scripts/flavour.sh chooses by trying (CALLERID_ARCH=win32|win64
# forces a choice) and says which and why. A win64 machine still compiles the win32 flavour, so a
# 32-bit compile error or failed static assertion is caught everywhere.

SHELL := /bin/bash
JOBS ?= 2
MAKEFLAGS += --no-print-directory

# Decided once, by the outermost make; the sub-makes and scripts inherit it.
ifeq ($(CALLERID_FLAVOUR),)
  ifneq ($(filter-out clean,$(or $(MAKECMDGOALS),all)),)
    CALLERID_FLAVOUR := $(shell scripts/flavour.sh)
    ifeq ($(CALLERID_FLAVOUR),)
      $(error no flavour chosen: see the line above)
    endif
  endif
endif
export CALLERID_FLAVOUR

# The flavour that runs comes first; win32 is always built.
ifeq ($(CALLERID_FLAVOUR),win64)
  FLAVOURS := win64 win32
else
  FLAVOURS := win32
endif
BUILD := build/$(CALLERID_FLAVOUR)
toolchain_win32 := $(CURDIR)/cmake/toolchain-i686-mingw.cmake
toolchain_win64 := $(CURDIR)/cmake/toolchain-x86_64-mingw.cmake
wineserver_win32 := wineserver
wineserver_win64 := /usr/lib/wine/wineserver64

.PHONY: all run test dist bench docs setup deps configure build prefix clean

all: build

setup:
	scripts/setup.sh

deps: setup
	@for f in $(FLAVOURS); do scripts/build-deps.sh $$f || exit 1; done

# Configure only once; after that `cmake --build` reconfigures by itself when a CMakeLists.txt
# changes or a folder gains one.
build/%/Makefile:
	cmake -S . -B build/$* -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE=$(toolchain_$*) -DCMAKE_BUILD_TYPE=Release

configure: deps
	$(MAKE) $(FLAVOURS:%=build/%/Makefile)

build: configure
	@for f in $(FLAVOURS); do echo "build: $$f"; cmake --build build/$$f -j$(JOBS) || exit 1; done

prefix: build
	scripts/prefix.sh

# LC_ALL goes to ctest too, so that a test script starting Wine by itself gets the same locale
# as the programs started through scripts/wine-run.sh.
test: prefix
	scripts/with-display.sh env LC_ALL=tr_TR.UTF-8 ctest --test-dir $(BUILD) --output-on-failure

run: prefix
	scripts/run.sh

# The README's pictures under docs/, taken from the real program (see README).
docs: prefix
	scripts/docs-screenshots.sh

# What Windows users get, from the shipped 32-bit flavour whatever this machine runs:
# build/dist/CallerIdTest-<version>-setup.exe and build/dist/CallerIdTest-<version>.zip.
dist: setup
	scripts/dist.sh win32

# The benchmark programs of the running flavour only, built and run side by side (see README).
bench: deps
	$(MAKE) build/$(CALLERID_FLAVOUR)/Makefile
	scripts/bench.sh

# Stop a wineserver still serving a prefix before its files disappear underneath it.
clean:
	@if [ -d build/win32/wineprefix ]; then WINEPREFIX=$(CURDIR)/build/win32/wineprefix $(wineserver_win32) -k 2>/dev/null || true; fi
	@if [ -d build/win64/wineprefix ]; then WINEPREFIX=$(CURDIR)/build/win64/wineprefix $(wineserver_win64) -k 2>/dev/null || true; fi
	rm -rf build
