# Two commands on a fresh Debian machine: `make run` and `make test`; `make deb` for the package.
BUILD_DIR ?= build
ASAN_BUILD_DIR ?= build-sanitize
BENCH_BUILD_DIR ?= build-bench
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ifeq ($(CI),true)
CMAKE_FLAGS += -DVANTEL_WERROR=ON
endif

# Debian packages the build, the tests and the program need.
PACKAGES := cmake ninja-build g++ make pkg-config python3 ccache \
	qt6-base-dev qt6-base-dev-tools libgtest-dev libbenchmark-dev \
	libglib2.0-dev libxkbcommon-dev libxkbcommon-x11-dev \
	libx11-dev libxcb1-dev libxcb-xkb-dev xvfb \
	libxtst-dev x11-xkb-utils xkb-data \
	breeze-icon-theme adwaita-icon-theme libqt6svg6 libpoppler-qt6-dev \
	openbox trayer xdotool x11-utils imagemagick strace dbus-daemon desktop-file-utils libglib2.0-bin

# The hotkey benchmark learns from the X server's damage reports when the
# main view was drawn.
PACKAGES += libxdamage1

# The memory benchmark reads the running program's heap in use (glibc's
# malloc_stats) through gdb.
PACKAGES += gdb

# Qt's own texts (file panels, text fields' menus) in the user's language.
PACKAGES += qt6-translations-l10n

# The program on a Wayland desktop: a headless compositor and Qt's Wayland platform.
PACKAGES += weston qt6-wayland

# The install test validates the desktop and AppStream files it installs.
PACKAGES += desktop-file-utils appstream

# The package test and `make deb`: dependencies from the libraries the
# programs use, and lintian's verdict.
PACKAGES += dpkg-dev file lintian

# Fuzzing: clang's libFuzzer with its runtime, only for `make fuzz`.
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := propertylist desktopentry predicate urltemplate markdown
FUZZ_PACKAGES := clang libclang-rt-14-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test test-sanitize bench ci fuzz deb clean

all: build

# Installs only what is missing, so a second run asks apt nothing.
deps:
	@missing=$$(for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/Vantel.app/Contents/MacOS/Vantel

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTEL_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD_DIR) --output-on-failure -j $(JOBS)

# Builds in Release, runs every benchmark and the two scripts, prints one
# table and puts it into README.md with the machine it came from.
BENCH_OUT := $(BENCH_BUILD_DIR)/results
bench: deps
	cmake -S . -B $(BENCH_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTEL_BUILD_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD_DIR) -j $(JOBS)
	mkdir -p $(BENCH_OUT)
	$(BENCH_BUILD_DIR)/bench/vantel_bench --benchmark_out=$(BENCH_OUT)/bench.json --benchmark_out_format=json
	python3 bench/archive_vs_plistlib.py $(BENCH_BUILD_DIR)/bench/vantel_bench > $(BENCH_OUT)/archive.json
	python3 bench/startup.py $(BENCH_BUILD_DIR)/Vantel.app/Contents/MacOS/Vantel --floor $(BENCH_BUILD_DIR)/bench/vantel_tray_floor > $(BENCH_OUT)/startup.json
	python3 bench/table.py --bench $(BENCH_OUT)/bench.json --archive $(BENCH_OUT)/archive.json \
		--startup $(BENCH_OUT)/startup.json --readme README.md

ci: test test-sanitize

# The Debian package, in $(BUILD_DIR)/package/, checked by lintian (errors fail).
deb: build
	rm -rf $(BUILD_DIR)/package
	cd $(BUILD_DIR) && cpack -G DEB
	lintian --fail-on error $(BUILD_DIR)/package/*.deb

# Each reader for FUZZ_SECONDS under libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, starting from the saved inputs in fuzz/corpus/.
# New inputs go to $(FUZZ_BUILD_DIR)/corpus, crashes to $(FUZZ_BUILD_DIR)/crashes.
fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(FUZZ_PACKAGES)"
	cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
		-DCMAKE_CXX_COMPILER=clang++ -DVANTEL_FUZZ=ON -DVANTEL_BUILD_TESTS=OFF
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@mkdir -p $(FUZZ_BUILD_DIR)/crashes
	@for t in $(FUZZ_TARGETS); do \
		mkdir -p $(FUZZ_BUILD_DIR)/corpus/$$t; \
		echo "== fuzzing $$t for $(FUZZ_SECONDS) s"; \
		QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 $(FUZZ_BUILD_DIR)/fuzz/fuzz_$$t \
			-max_total_time=$(FUZZ_SECONDS) -max_len=65536 -timeout=10 -rss_limit_mb=4096 \
			-artifact_prefix=$(FUZZ_BUILD_DIR)/crashes/$$t- \
			$(FUZZ_BUILD_DIR)/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done

clean:
	rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR) $(FUZZ_BUILD_DIR)
