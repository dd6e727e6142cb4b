# Two commands on a fresh Debian machine: `make run` and `make test`.
BUILD_DIR ?= build
ASAN_BUILD_DIR ?= build-sanitize
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ifeq ($(CI),true)
CMAKE_FLAGS += -DVANTEL_WERROR=ON
endif

# Debian packages the build, the tests and the program need.
PACKAGES := cmake ninja-build g++ make pkg-config python3 \
	qt6-base-dev qt6-base-dev-tools libgtest-dev \
	libplist-dev libglib2.0-dev libxkbcommon-dev libxkbcommon-x11-dev \
	libx11-dev libxcb1-dev libxcb-xkb-dev xvfb \
	libxtst-dev x11-xkb-utils xkb-data

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test test-sanitize ci clean

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

ci: test test-sanitize

clean:
	rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR)
