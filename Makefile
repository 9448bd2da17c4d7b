# Entry points: `make run` starts the program under Wine, `make test` builds and runs every test.
# Both install what is missing first, so they work on a fresh Debian 12 machine (as root).

SHELL := /bin/bash
BUILD := build
TOOLCHAIN := $(CURDIR)/cmake/toolchain-i686-mingw.cmake
JOBS ?= 2
MAKEFLAGS += --no-print-directory

.PHONY: all run test setup deps configure build prefix clean

all: build

setup:
	scripts/setup.sh

deps: setup
	scripts/build-deps.sh

# Configure only once; after that `cmake --build` reconfigures by itself when a CMakeLists.txt
# changes or a folder gains one.
$(BUILD)/Makefile:
	cmake -S . -B $(BUILD) -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DCMAKE_BUILD_TYPE=Release

configure: deps
	$(MAKE) $(BUILD)/Makefile

build: configure
	cmake --build $(BUILD) -j$(JOBS)

prefix: build
	scripts/prefix.sh

# LC_ALL goes to ctest too, so that a test script starting Wine by itself gets the same locale
# as the programs started through scripts/wine-run.sh.
test: prefix
	scripts/with-display.sh env LC_ALL=tr_TR.UTF-8 ctest --test-dir $(BUILD) --output-on-failure

run: prefix
	scripts/run.sh

# Stop a wineserver still serving the prefix before its files disappear underneath it.
clean:
	@if [ -d $(BUILD)/wineprefix ]; then WINEPREFIX=$(CURDIR)/$(BUILD)/wineprefix wineserver -k || true; fi
	rm -rf $(BUILD)
