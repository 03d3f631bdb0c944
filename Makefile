# `make` builds build/rastrify and build/libgridlib.so and nothing else;
# `make test` builds and runs every test; `make demo` builds what `make` builds
# and converts the sample grid in examples/, flat, as a shaded relief, as a
# PNG with its world file and colour bar, and as a tile pyramid with its
# browser viewer. Every build first
# installs the development files of the libraries it uses where they are missing
# (tools/install_libraries.sh), before CMake is configured or reconfigured; `make
# test` also installs Pillow, pytest and GDAL's tools, which read the images back
# (tools/install_test_tools.sh).
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all build test demo asan tsan clean bench fuzz

all: build

$(BUILD)/CMakeCache.txt:
	sh tools/install_libraries.sh
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

# The library and the converter only: the tests are compiled by `make test`.
build: $(BUILD)/CMakeCache.txt
	sh tools/install_libraries.sh
	cmake --build $(BUILD) -j $(JOBS) --target gridlib rastrify

test: $(BUILD)/CMakeCache.txt
	sh tools/install_libraries.sh
	cmake --build $(BUILD) -j $(JOBS)
	sh tools/install_test_tools.sh
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	$(BUILD)/rastrify examples/terrain.asc $(BUILD)/terrain.bmp
	$(BUILD)/rastrify examples/terrain.asc $(BUILD)/terrain_relief.bmp -S
	$(BUILD)/rastrify examples/terrain.asc $(BUILD)/terrain.png -G -L$(BUILD)/terrain_bar.svg
	$(BUILD)/rastrify examples/terrain.asc $(BUILD)/terrain_tiles -T
	@echo "wrote $(BUILD)/terrain.bmp, its shaded relief $(BUILD)/terrain_relief.bmp, and $(BUILD)/terrain.png with its world file $(BUILD)/terrain.pgw and colour bar $(BUILD)/terrain_bar.svg"
	@echo "and the tile pyramid $(BUILD)/terrain_tiles: serve it with (cd $(BUILD)/terrain_tiles && python3 -m http.server) and open http://127.0.0.1:8000/"

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DGRIDLIB_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"

# The tests of calls made from several threads at once under ThreadSanitizer:
# conversions on four threads, the ordered runs of the worker threads, the
# numbers of open text files and the progress of each call.
TSAN_TESTS ?= ConcurrentConversions|OrderedRun|ConvertCall|TextUnits|Progress
tsan:
	sh tools/install_libraries.sh
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGRIDLIB_TSAN=ON
	cmake --build build-tsan -j $(JOBS) --target tests_convert tests_threads tests_platform tests_progress
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'

# The libFuzzer targets in fuzz/, each run FUZZ_SECONDS on its own corpus.
FUZZ_SECONDS ?= 60
fuzz:
	sh tools/install_clang.sh
	sh tools/install_libraries.sh
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGRIDLIB_FUZZ=ON -DGRIDLIB_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzzers
	sh fuzz/run_all.sh build-fuzz $(FUZZ_SECONDS)

bench:
	sh tools/install_libraries.sh
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DGRIDLIB_BENCH=ON
	cmake --build build-bench -j $(JOBS)

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz
