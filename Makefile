# The two commands a newcomer needs: `make test` and `make demo`.
# Both run tools/setup.sh first, which installs whatever is missing.
# BUILD and NATIVE name the build folders (defaults: build, build-native).
BUILD  ?= build
NATIVE ?= build-native
FUZZ_SECONDS ?= 110
JOBS ?= 2
export ZO_BUILD := $(abspath $(BUILD))
export ZO_NATIVE_BUILD := $(abspath $(NATIVE))

.PHONY: all setup build build32 build64 native native-rel test test-native test-windows fuzz bench demo clean

all: build

setup:
	@bash tools/setup.sh

# The product: 32-bit Windows DLLs in $(BUILD)/bin.
build32: setup
	@cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

# The same sources for x86_64 Windows: what the tests run under Wine.
build64: setup
	@cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/win64 -j$(JOBS)

build: build32 build64

native: setup
	@cmake -S native -B $(NATIVE)/san -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	       -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZO_SANITIZE=ON >/dev/null
	@cmake --build $(NATIVE)/san -j$(JOBS)

native-rel: setup
	@cmake -S native -B $(NATIVE)/rel -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	       -DCMAKE_BUILD_TYPE=Release -DZO_SANITIZE=OFF >/dev/null
	@cmake --build $(NATIVE)/rel -j$(JOBS)

test-native: native
	@cd $(NATIVE)/san && ctest --output-on-failure -j$(JOBS)
	@bash tools/fuzz.sh $(FUZZ_SECONDS)

test-windows: build
	@cd $(BUILD) && ctest --output-on-failure
	@bash tools/wine-session.sh ctest --test-dir $(BUILD)/win64 --output-on-failure --timeout 120

test: test-native test-windows

fuzz: native
	@bash tools/fuzz.sh $(FUZZ_SECONDS)

bench: build native-rel
	@bash tools/bench.sh

demo: build native
	@bash tools/demo.sh

clean:
	rm -rf $(BUILD)/bin $(BUILD)/win64 $(NATIVE)
