# Thin wrapper over CMake presets: every build rule lives in CMakeLists.txt.
.PHONY: all deps configure build test run bench stress fuzz asan format format-check lint clean

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

# Fails, naming the files, when any source differs from what `make format` would make of it.
format-check: deps
	@git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run --Werror

# clang-tidy (.clang-tidy) over every source of the release build, on every core.
lint: configure
	@run-clang-tidy -p $(BUILD_DIR) -quiet -j $$(nproc) > $(BUILD_DIR)/lint.log 2>&1 \
	  || { sed 's/\x1b\[[0-9;]*m//g' $(BUILD_DIR)/lint.log | grep -E '(error|warning): ' | sort -u; exit 1; }

clean:
	@rm -rf build

.PHONY: bench-fff
bench-fff: build
	@scripts/bench-fff $(BUILD_DIR)
