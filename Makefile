# Two entry points: `make run` and `make test`. Both install missing Debian
# packages first (scripts/install-deps.sh) and build incrementally.
BUILD     ?= build
BUILD_SAN ?= build-san
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
DEPS_STAMP := $(BUILD)/.deps-ok

.PHONY: all deps build build-san python run test test-unit test-san bench format format-check clean

all: build

$(DEPS_STAMP): scripts/packages.txt scripts/install-deps.sh
	@bash scripts/install-deps.sh
	@mkdir -p $(BUILD) && touch $@

deps: $(DEPS_STAMP)

$(BUILD)/CMakeCache.txt: | $(DEPS_STAMP)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(BUILD_SAN)/CMakeCache.txt: | $(DEPS_STAMP)
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DGRASPSTAT_SANITIZE=ON

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The Python module alone, into $(BUILD)/python/ (PYTHONPATH=$(BUILD)/python).
python: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target graspstat_python

build-san: deps $(BUILD_SAN)/CMakeCache.txt
	cmake --build $(BUILD_SAN) -j $(JOBS)

# builds the interactive program alone, not the tests and benchmarks
run: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target graspstat
	@bash scripts/run.sh $(BUILD)/graspstat

test-unit: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-san: build-san
	cd $(BUILD_SAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  ctest --output-on-failure -j $(JOBS) -LE nosan

test: format-check test-unit test-san

bench: build
	$(BUILD)/graspstat_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Fails when a tracked source is not formatted as .clang-format says.
format-check: deps
	clang-format --dry-run -Werror $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(BUILD_SAN)
