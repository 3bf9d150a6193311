# driftmosaic-b: build, play and test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: all deps build run test test-release test-asan bench size clean

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# Plays the show from the build folder, where the music module lies.
run: build
	cd $(BUILD) && ./driftmosaic-b $(ARGS)

test: deps test-release test-asan

test-release: build
	cd $(BUILD) && ctest --output-on-failure -j 2

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDM_SANITIZE=ON -DDM_BENCH=OFF

# fontconfig's process-long caches are not leaks: see tools/lsan.supp.
test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 ctest --output-on-failure -j 2

bench: build
	$(BUILD)/dm_bench

size: build
	@tools/check-size.sh $(BUILD)/driftmosaic-b

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
