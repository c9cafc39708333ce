# The project's entry points. `make run` and `make test` are all a new machine needs: both install
# what is missing first (scripts/install-deps.sh), then configure and build.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 20
CRASH_COUNT ?= 200
CMAKE_FLAGS ?=
ifneq ($(CI),)
  CMAKE_FLAGS += -DVOLUMIST_WERROR=ON
endif

.PHONY: all deps build run test test-asan test-crash fuzz bench screenshots package install-check clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# AddressSanitizer + UndefinedBehaviorSanitizer build of the core, the window program and their tests.
# The leak suppressions name only what Qt and fontconfig allocate once and keep until exit.
test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVOLUMIST_SANITIZE=ON -DVOLUMIST_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/ui/lsan.supp:print_suppressions=0 ctest --output-on-failure -j $(JOBS)

# Kills the writing commands with SIGKILL at random moments, CRASH_COUNT times, and checks that
# every file is the old or the complete new one and that the next write sweeps what was left.
test-crash: build
	bash scripts/crash-test.sh $(BUILD_DIR) $(CRASH_COUNT)

# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS on its seeds.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLUMIST_FUZZ=ON \
	  -DVOLUMIST_TESTS=OFF -DVOLUMIST_BENCH=OFF -DVOLUMIST_GUI=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	bash scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# Pictures of the windows for docs/screenshots (under Xvfb).
screenshots: build
	bash scripts/screenshots.sh $(BUILD_DIR)

# The Debian package (CPack, dependencies by dpkg-shlibdeps), copied to the top folder:
# zarn-volumist_VERSION_ARCH.deb, ready for `apt install ./zarn-volumist_*.deb`.
package: build
	rm -f $(BUILD_DIR)/zarn-volumist_*.deb
	cd $(BUILD_DIR) && cpack -G DEB
	cp $(BUILD_DIR)/zarn-volumist_*.deb .

# Installs into a temporary folder and checks the result and the package as a distribution would.
install-check: package
	bash scripts/install-check.sh $(BUILD_DIR)

bench: build
	@bash scripts/install-deps.sh bench
	bash bench/run.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
