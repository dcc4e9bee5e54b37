# make run: install what is missing, build, start the editor.
# make test: install what is missing, build, run every test.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
RELEASE_BUILD ?= build-release
# Seconds each fuzz target runs: briefly in `make test`, longer in `make fuzz`.
FUZZ_SECONDS ?= 600
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

PACKAGES := cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev \
            libbenchmark-dev qt6-base-dev libgl-dev libxml2-utils time \
            clang libclang-rt-14-dev

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps configure build run test test-asan fuzz fuzz-build bench bench-stages clean format

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
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/app/ZelXMLEditor ]; then $(BUILD)/app/ZelXMLEditor; \
	else echo "The editor is not built yet: only the core library and its tools exist."; fi

test: build
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=30
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEL_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -LE slow

# The fuzz targets: clang with libFuzzer and the sanitizers, each run for FUZZ_SECONDS.
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DZEL_FUZZ=ON -DZEL_FUZZ_SECONDS=$(FUZZ_SECONDS)
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

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(RELEASE_BUILD)
