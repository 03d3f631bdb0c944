# `make` builds build/rastrify and build/libgridlib.so; `make test` builds and
# runs every test; `make demo` converts the sample grid in examples/.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all build test demo asan clean bench

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	$(BUILD)/rastrify examples/terrain.asc $(BUILD)/terrain.bmp
	@echo "wrote $(BUILD)/terrain.bmp"

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DGRIDLIB_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"

bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DGRIDLIB_BENCH=ON
	cmake --build build-bench -j $(JOBS)

clean:
	rm -rf build build-asan build-bench
