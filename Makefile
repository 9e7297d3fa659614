# Kestrin: `make run` starts the program, `make test` runs every test. Both install what is missing.
BUILD := build
CMAKE := cmake -G Ninja -Wno-dev
JOBS := $(shell nproc)

.PHONY: all deps host fuzz-build win64 win32 package run test fuzz bench bench-host format clean

all: host win64 win32

deps:
	@scripts/install-deps

$(BUILD)/host/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Debug -DKESTRIN_SANITIZE=ON
# libFuzzer needs clang; optimised, as the fuzz runs are sized by input count.
$(BUILD)/fuzz/build.ninja: | deps
	CXX=clang++ $(CMAKE) -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIN_SANITIZE=ON -DKESTRIN_FUZZ=ON
$(BUILD)/bench-host/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD)/bench-host -DCMAKE_BUILD_TYPE=Release
$(BUILD)/win64/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD)/win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
$(BUILD)/win32/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD)/win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

host: $(BUILD)/host/build.ninja
	cmake --build $(BUILD)/host -j $(JOBS)
fuzz-build: $(BUILD)/fuzz/build.ninja
	cmake --build $(BUILD)/fuzz -j $(JOBS)
win64: $(BUILD)/win64/build.ninja
	cmake --build $(BUILD)/win64 -j $(JOBS)
# 32-bit Windows is compiled and linked only: this machine cannot run it.
win32: $(BUILD)/win32/build.ninja
	cmake --build $(BUILD)/win32 -j $(JOBS)

# The release zip: both builds of kestrin.exe, kestrin-send.exe, the client header, a text on use.
package: win64 win32
	scripts/package $(BUILD)

# One CTest run reports the host tests, the fuzz runs, the Wine tests and the package's contents.
test: host fuzz-build win64 win32 package
	@printf 'subdirs("host")\nsubdirs("fuzz")\nsubdirs("win64")\nadd_test(package.contents "%s" --check "%s")\n' \
	  $(CURDIR)/scripts/package $(abspath $(BUILD)) > $(BUILD)/CTestTestfile.cmake
	scripts/wine-session ctest --test-dir $(BUILD) --output-on-failure

run: win64
	scripts/run-kestrin $(BUILD)/win64/bin

# Each fuzz target for FUZZ_SECONDS, keeping what it finds in build/fuzz/corpus and any
# failing input in build/fuzz.
FUZZ_SECONDS := 120
fuzz: fuzz-build
	@for target in $(BUILD)/fuzz/tests/*_fuzz; do \
	  corpus=$(BUILD)/fuzz/corpus/$$(basename $$target); mkdir -p $$corpus; \
	  echo "== $$target"; $$target -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$(BUILD)/fuzz/ $$corpus || exit 1; \
	done

bench-host: $(BUILD)/bench-host/build.ninja
	cmake --build $(BUILD)/bench-host --target core-bench
	$(BUILD)/bench-host/bench/core-bench

# The host-built core's figures, then Kestrin's own under Wine.
bench: bench-host win64
	scripts/wine-session scripts/wine-run $(BUILD)/win64/bin/kestrin-bench.exe

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
