# Kestrin: `make run` starts the program, `make test` runs every test. Both install what is missing.
BUILD := build
CMAKE := cmake -G Ninja -Wno-dev
JOBS := $(shell nproc)

.PHONY: all deps host win64 win32 run test bench format clean

all: host win64 win32

deps:
	@scripts/install-deps

$(BUILD)/host/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Debug -DKESTRIN_SANITIZE=ON
$(BUILD)/win64/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD)/win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
$(BUILD)/win32/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD)/win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

host: $(BUILD)/host/build.ninja
	cmake --build $(BUILD)/host -j $(JOBS)
win64: $(BUILD)/win64/build.ninja
	cmake --build $(BUILD)/win64 -j $(JOBS)
# 32-bit Windows is compiled and linked only: this machine cannot run it.
win32: $(BUILD)/win32/build.ninja
	cmake --build $(BUILD)/win32 -j $(JOBS)

# One CTest run reports the host tests and the Wine tests together.
test: host win64 win32
	@printf 'subdirs("host")\nsubdirs("win64")\n' > $(BUILD)/CTestTestfile.cmake
	scripts/wine-session ctest --test-dir $(BUILD) --output-on-failure

run: win64
	scripts/run-kestrin $(BUILD)/win64/bin

bench: win64
	scripts/wine-session scripts/wine-run $(BUILD)/win64/bin/kestrin-bench.exe

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
