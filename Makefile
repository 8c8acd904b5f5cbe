# The two set-up commands: `make run` and `make test`. Both install what is
# missing first, so they work on a fresh Debian machine.
JOBS ?= $(shell nproc)
ARGS ?=
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := event_line settings_file autostart_entry policy_file

.PHONY: all deps build run test test-windows windows-dist fuzz format format-check tidy bench deb package-check clean

all: build

deps:
	./scripts/install-deps

build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

# Starts the tray program. QUELVO_DRY_RUN=1 prints power requests instead of making them.
run: build
	./build/release/bin/quelvo $(ARGS)

# The Linux suite under ASan and UBSan, then the Windows edition's under Wine.
test: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)
	$(MAKE) --no-print-directory test-windows

# Cross-built with mingw-w64; each test .exe runs under wine64 in a private prefix.
test-windows: deps
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)
	ctest --preset windows -j $(JOBS)

# The Windows edition's portable zip and installer, in build/windows/dist/.
windows-dist: deps
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS) --target windows-dist

bench: deps
	cmake --preset release -DQUELVO_BUILD_BENCH=ON
	cmake --build --preset release -j $(JOBS)
	@for b in build/release/bin/bench_*; do $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

# Fuzzes each target for FUZZ_SECONDS. New inputs go to build/fuzz/corpus; the seeds in
# fuzz/corpus are only read. A finding stops with its input in build/fuzz/artifacts.
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	@mkdir -p build/fuzz/artifacts
	@for t in $(FUZZ_TARGETS); do \
		mkdir -p build/fuzz/corpus/$$t; \
		echo "fuzz: $$t for $(FUZZ_SECONDS) s"; \
		build/fuzz/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -print_final_stats=1 \
			-artifact_prefix=build/fuzz/artifacts/$$t- build/fuzz/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done

# The Debian package (build/package/quelvo_*.deb), from a hardened release build for /usr.
deb: deps
	cmake --preset package
	cmake --build --preset package -j $(JOBS)
	cd build/package && cpack -G DEB

# Builds, lints, installs, tries and removes the package on this machine (root; CI runs it).
package-check:
	./scripts/package-check

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# clang-tidy's curated checks (.clang-tidy) over src/, with the asan build's compile commands. The
# Windows sources need the mingw toolchain's headers and are left out.
TIDY_SKIP := -e '^src/platform/windows/' -e '^src/ui/win32/' -e '^src/app/quelvo_win_main.cpp' \
	-e '^src/app/ctl_machine_win.cpp' -e '^src/app/quelvosvc_main.cpp'
tidy: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	git ls-files 'src/*.cpp' | grep -v $(TIDY_SKIP) | \
		xargs -P $(JOBS) -n 4 clang-tidy-14 -p build/asan --quiet --warnings-as-errors='*'

clean:
	rm -rf build
