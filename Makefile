# Volarix: the two commands of the README, and a few more for developers.
#   make run    installs what is missing, builds, runs the demo
#   make test   installs what is missing, builds, runs every test
#   make bench  builds and runs the benchmarks
#   make asan   builds the tests with AddressSanitizer + UBSan and runs them
#   make package lays out the Maya module in dist/particleVolarix (see the README)

BUILD      ?= build
ASAN_BUILD ?= build-asan
DIST       ?= dist
CMAKE_ARGS ?=
JOBS       ?= $(shell nproc)

# Debian packages the project builds with.
PACKAGES := cmake ninja-build g++ libgtest-dev \
            libbenchmark-dev libtbb-dev libnanoflann-dev libembree-dev \
            libtinyobjloader-dev libcli11-dev nlohmann-json3-dev libmuparser-dev libcairo2-dev libpng-dev pkg-config \
            pybind11-dev python3-dev python3-numpy python3-pytest python3-matplotlib \
            slurm-wlm munge

.PHONY: all deps configure build run test bench asan fuzz package clean

all: build

# $(call install,PACKAGES): installs the Debian packages that are missing
# (as root; otherwise prints the command that would).
define install
	@missing=""; \
	for p in $(1); do \
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
endef

deps:
	$(call install,$(PACKAGES))

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/volarix

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The Maya module: put $(DIST)/particleVolarix on MAYA_MODULE_PATH to
# install it (see the README). Laid out afresh, so nothing stale is left.
package: build
	rm -rf $(DIST)/particleVolarix
	cmake --install $(BUILD) --prefix $(DIST) --component maya_module
	@echo "The module is in $(DIST)/particleVolarix: add that folder to MAYA_MODULE_PATH."

bench: build
	$(BUILD)/bin/vx_bench_kdtree
	$(BUILD)/bin/vx_bench_field
	$(BUILD)/bin/vx_bench_run
	$(BUILD)/bin/vx_bench_curves
	$(BUILD)/bin/vx_bench_meshes
	$(BUILD)/bin/vx_bench_volumes
	$(BUILD)/bin/vx_bench_steering
	$(BUILD)/bin/vx_bench_graph
	$(BUILD)/bin/vx_bench_cache
	$(BUILD)/bin/vx_bench_render
	$(BUILD)/bin/vx_bench_demo

# Lean sanitizer build: tests only, light optimisation so it stays quick.
asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DVOLARIX_SANITIZE=ON \
	  -DVOLARIX_BENCH=OFF -DVOLARIX_APP=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Fuzzing, by hand only (neither `make test` nor CI runs it): the scene-script
# reader and the particle cache reader under libFuzzer with ASan + UBSan, in
# a clang build of their own, FUZZ_SECONDS each. They start from the seeds in
# fuzz/corpus and the inputs in tests/host/fuzz-regressions, copied to
# $(FUZZ_BUILD)/corpus so what they add stays out of the tree; an input that
# fails lands in $(FUZZ_BUILD)/crashes, to be fixed and kept as a regression.
FUZZ_BUILD    ?= build-fuzz
FUZZ_SECONDS  ?= 60
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZERS       := vx_fuzz_script:4096 vx_fuzz_cache:65536

fuzz: deps
	$(call install,$(FUZZ_PACKAGES))
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
	  -DVOLARIX_FUZZ=ON -DVOLARIX_WERROR=OFF -DVOLARIX_TESTS=OFF -DVOLARIX_BENCH=OFF \
	  -DVOLARIX_APP=OFF $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(foreach f,$(FUZZERS),$(firstword $(subst :, ,$(f))))
	@mkdir -p $(FUZZ_BUILD)/crashes; failed=""; \
	for f in $(FUZZERS); do \
	  name=$${f%%:*}; maxlen=$${f##*:}; corpus=$(FUZZ_BUILD)/corpus/$$name; \
	  mkdir -p $$corpus; \
	  cp fuzz/corpus/$$name/* tests/host/fuzz-regressions/$$name/* $$corpus/; \
	  echo "== $$name: $(FUZZ_SECONDS) s, inputs up to $$maxlen bytes"; \
	  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    $(FUZZ_BUILD)/bin/$$name $$corpus -max_total_time=$(FUZZ_SECONDS) -max_len=$$maxlen \
	      -timeout=10 -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/crashes/$$name- \
	    || failed="$$failed $$name"; \
	done; \
	if [ -n "$$failed" ]; then echo "Fuzzing found failures in:$$failed (inputs in $(FUZZ_BUILD)/crashes)"; exit 1; fi

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(DIST)
