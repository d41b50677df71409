# Thin wrapper over CMake presets: every build rule lives in CMakeLists.txt.
.PHONY: all deps configure build test run bench stress fuzz asan format clean

CMAKE ?= cmake
CTEST ?= ctest
BUILD_DIR := build/release

all: build

deps:
	@scripts/install-deps

configure: deps
	@$(CMAKE) --preset release >/dev/null

build: configure
	@$(CMAKE) --build --preset release

test: build
	@$(CTEST) --preset release

run: build
	@scripts/demo $(BUILD_DIR)/cli/quillo-cli

bench: build
	@scripts/bench $(BUILD_DIR)

# Crash-safety runs, outside `make test`: minutes, not seconds.
stress: build
	@scripts/stress-clipboard $(BUILD_DIR)

# libFuzzer targets (clang, ASan, UBSan), each a short while on one core from fuzz/corpus/.
fuzz: deps
	@$(CMAKE) --preset fuzz >/dev/null
	@$(CMAKE) --build --preset fuzz
	@scripts/fuzz build/fuzz

asan: deps
	@$(CMAKE) --preset asan >/dev/null
	@$(CMAKE) --build --preset asan
	@$(CTEST) --preset asan

format:
	@git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	@rm -rf build

.PHONY: bench-fff
bench-fff: build
	@scripts/bench-fff $(BUILD_DIR)
