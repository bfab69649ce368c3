# Volarix: the two commands of the README, and a few more for developers.
#   make run    installs what is missing, builds, runs the demo
#   make test   installs what is missing, builds, runs every test
#   make bench  builds and runs the benchmarks
#   make asan   builds the tests with AddressSanitizer + UBSan and runs them

BUILD      ?= build
ASAN_BUILD ?= build-asan
CMAKE_ARGS ?=
JOBS       ?= $(shell nproc)

# Debian packages the project builds with.
PACKAGES := cmake ninja-build g++ libgtest-dev \
            libbenchmark-dev libtbb-dev libnanoflann-dev libembree-dev \
            libtinyobjloader-dev libcli11-dev nlohmann-json3-dev libmuparser-dev libcairo2-dev pkg-config

.PHONY: all deps configure build run test bench asan clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    export DEBIAN_FRONTEND=noninteractive; \
	    apt-get install -y --no-install-recommends $$missing || \
	      { apt-get update && apt-get install -y --no-install-recommends $$missing; } || exit 1; \
	  else \
	    echo "Missing Debian packages:$$missing"; \
	    echo "Install them with:  sudo apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/volarix

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bin/vx_bench_kdtree
	$(BUILD)/bin/vx_bench_field
	$(BUILD)/bin/vx_bench_curves
	$(BUILD)/bin/vx_bench_meshes
	$(BUILD)/bin/vx_bench_volumes
	$(BUILD)/bin/vx_bench_steering
	$(BUILD)/bin/vx_bench_graph
	$(BUILD)/bin/vx_bench_cache
	$(BUILD)/bin/vx_bench_render

# Lean sanitizer build: tests only, light optimisation so it stays quick.
asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DVOLARIX_SANITIZE=ON \
	  -DVOLARIX_BENCH=OFF -DVOLARIX_APP=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
