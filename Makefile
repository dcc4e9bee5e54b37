# make run: install what is missing, build, start the editor (FILE=... opens a document).
# make test: install what is missing, build, run every test.
BUILD ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
RELEASE_BUILD ?= build-release
# Seconds each fuzz target runs: briefly in `make test`, longer in `make fuzz`.
FUZZ_SECONDS ?= 600
# The most inputs each fuzz target tries (-1: as many as the time allows; `make test` bounds it).
FUZZ_RUNS ?= -1
# Whether the load target also checks that a save and reload keep the outline.
FUZZ_ROUNDTRIP ?= 1
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# ON turns every compiler warning into an error (CI sets it; off, a newer compiler's new
# warnings do not stop a build). The environment may set it too.
ZEL_WERROR ?= OFF

PACKAGES := cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev \
            libbenchmark-dev qt6-base-dev libgl-dev libxml2-utils libxml2-dev time \
            clang libclang-rt-14-dev xvfb xauth x11-utils xdotool imagemagick \
            qt6-svg-dev openbox libpugixml-dev clang-format clang-tidy libre2-dev

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps configure build run screenshot test test-asan test-tsan fuzz fuzz-build bench \
        bench-stages clean format format-check tidy

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  export DEBIAN_FRONTEND=noninteractive; \
	  $(SUDO) apt-get install -y --no-install-recommends $$missing || \
	  { $(SUDO) apt-get update && $(SUDO) apt-get install -y --no-install-recommends $$missing; }; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_WERROR=$(ZEL_WERROR)

# A build configured before keeps its settings, but follows a change of ZEL_WERROR.
configure: deps $(BUILD)/build.ninja
	@grep -qx 'ZEL_WERROR:BOOL=$(ZEL_WERROR)' $(BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(BUILD) -DZEL_WERROR=$(ZEL_WERROR)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Without a display the editor runs under a virtual one (xvfb-run), and says so.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] && { [ -n "$$WAYLAND_DISPLAY" ] || xdpyinfo >/dev/null 2>&1; }; then \
	  $(BUILD)/app/ZelXMLEditor $(FILE); \
	else \
	  echo "No display is available: running the editor under xvfb-run (a virtual display that nobody sees)."; \
	  xvfb-run -a -s "-screen 0 1024x768x24" $(BUILD)/app/ZelXMLEditor $(FILE); \
	fi

# Pictures of the main window, a message box and both dialogs, framed by a window manager:
# docs/*.png.
screenshot: build
	tools/screenshot $(BUILD)/app/ZelXMLEditor docs

test: build
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=30 FUZZ_RUNS=20000
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# A failing test runs once more: the signal test of the recovery once failed here under the
# sanitizers and full load, and passes alone; a second failure still fails the run.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEL_SANITIZE=ON \
	  -DZEL_WERROR=$(ZEL_WERROR)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -LE slow --repeat until-pass:2

# The core's tests (no Qt: the editor is not built) under the thread sanitizer, which watches
# the allocator's background thread, the flush that runs beside a save and the forked children.
# tests/tsan.supp lists the reports it ignores, each with its reason.
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_TSAN=ON \
	  -DZEL_BUILD_APP=OFF -DZEL_WERROR=$(ZEL_WERROR)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target core_tests
	cd $(TSAN_BUILD) && TSAN_OPTIONS=second_deadlock_stack=1:suppressions=$(CURDIR)/tests/tsan.supp \
	  ctest --output-on-failure -j $(JOBS) -L core

# The fuzz targets: clang with libFuzzer and the sanitizers, each run for FUZZ_SECONDS.
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DZEL_FUZZ=ON -DZEL_FUZZ_SECONDS=$(FUZZ_SECONDS) -DZEL_FUZZ_RUNS=$(FUZZ_RUNS) \
	  -DZEL_FUZZ_ROUNDTRIP=$(FUZZ_ROUNDTRIP) -DZEL_WERROR=$(ZEL_WERROR)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	cd $(FUZZ_BUILD) && ctest --output-on-failure -j $(JOBS) -L fuzz

# The table of load, save and memory figures on generated documents, in release mode.
bench: deps
	cmake -S . -B $(RELEASE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_BUILD) -j $(JOBS)
	bench/run-bench $(RELEASE_BUILD)

# The benchmarks of single stages (reader, outline, component).
bench-stages: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done; true

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails on any file of the tree that clang-format would change.
format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# clang-tidy's checks (.clang-tidy) over the core's sources and headers: any finding fails.
# The editor (app/), the tests, the benchmarks and the fuzz targets are not checked.
tidy: configure
	run-clang-tidy -quiet -j $(JOBS) -p $(BUILD) -header-filter='^$(CURDIR)/' \
	  '^$(CURDIR)/(?!app/|tests/|bench/|fuzz/|$(BUILD)/)'

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(RELEASE_BUILD)
