# The two set-up commands: `make run` and `make test`. Both install what is
# missing first, so they work on a fresh Debian machine.
JOBS ?= $(shell nproc)
ARGS ?=

.PHONY: all deps build run test format format-check bench clean

all: build

deps:
	./scripts/install-deps

build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

# Starts the tray program. QUELVO_DRY_RUN=1 prints power requests instead of making them.
run: build
	./build/release/bin/quelvo $(ARGS)

test: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

bench: deps
	cmake --preset release -DQUELVO_BUILD_BENCH=ON
	cmake --build --preset release -j $(JOBS)
	@for b in build/release/bin/bench_*; do $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build
