# Thin wrapper over CMake presets: every build rule lives in CMakeLists.txt.
.PHONY: all deps configure build test run install package bench stress fuzz asan tsan format format-check lint clean

CMAKE ?= cmake
CTEST ?= ctest
CPACK ?= cpack
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

# Starts quillo --show on the desktop; without one, snapshots and the command-line demonstration.
run: build
	@scripts/run-desktop $(BUILD_DIR)

# The program, the libraries and helpers it loads, and what the desktop reads (desktop entry, icons,
# metainfo, D-Bus service) under PREFIX; DESTDIR stages the tree elsewhere.
PREFIX ?= /usr/local
install: build
	@DESTDIR="$(DESTDIR)" $(CMAKE) --install $(BUILD_DIR) --prefix "$(PREFIX)"

# A Debian package of the same tree (prefix /usr) in build/package.
package: build
	@$(CPACK) --config $(BUILD_DIR)/CPackConfig.cmake -B build/package
	@ls build/package/*.deb

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

# ThreadSanitizer over the suites of the code that runs threads (base's pool, the platform's
# queues and children, the launcher's application layer, the file index's walks, checks and
# searches beside them). The whole suite would take over half an
# hour to build on two cores; `cmake --build --preset tsan && ctest --preset tsan` runs it all.
# The clipboard's application suite is left out: libvips decodes on threads of its own inside
# libraries the sanitizer cannot see (GLib, ORC, libpng), which it reports as races.
TSAN_SUITES := base/quillo-base-tests platform/posix/quillo-platform-posix-tests app/quillo-app-tests fff/fff-tests
tsan: deps
	@$(CMAKE) --preset tsan >/dev/null
	@$(CMAKE) --build --preset tsan --target $(notdir $(TSAN_SUITES))
	@for suite in $(TSAN_SUITES); do \
	  TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/scripts/tsan.supp" \
	    build/tsan/$$suite --gtest_brief=1 || exit 1; \
	done

format:
	@git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

# Fails, naming the files, when any source differs from what `make format` would make of it.
format-check: deps
	@git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run --Werror

# clang-tidy (.clang-tidy) over the program's own sources, on every core: the unity build's
# batches as compiled (headers shared by a batch are read once), less the test and benchmark
# targets, which are left to the compiler's warnings (errors in the release build) and the
# sanitizer runs; this keeps CI inside its time. A batch includes its sources, which is what
# bugprone-suspicious-include would flag; g++'s own warning options are no news to clang.
lint: configure
	@run-clang-tidy -p $(BUILD_DIR) -quiet -j $$(nproc) -checks=-bugprone-suspicious-include \
	  -extra-arg=-Wno-unknown-warning-option \
	  '^((?!/_autogen/|_autogen/|-tests\.dir/|/tests/|/bench/).)*$$' > $(BUILD_DIR)/lint.log 2>&1 \
	  || { sed 's/\x1b\[[0-9;]*m//g' $(BUILD_DIR)/lint.log | grep -E '(error|warning): ' | sort -u; exit 1; }

clean:
	@rm -rf build

.PHONY: bench-fff
bench-fff: build
	@scripts/bench-fff $(BUILD_DIR)
