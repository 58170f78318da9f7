# Quillon: `make run` boots the kernel in QEMU, `make test` runs every test.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build boot-images run run-selftest test test-host test-qemu test-sanitize bench screenshots clean

all: build

deps:
	@tools/install_deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# Booting needs the images and the disk only, not the tests.
boot-images: configure
	@cmake --build $(BUILD) -j$(JOBS) --target boot_images

run: boot-images
	@tools/run.sh $(BUILD)/quillon.iso $(BUILD)/disk.img

run-selftest: boot-images
	@tools/run.sh $(BUILD)/quillon-selftest.iso $(BUILD)/disk.img

# Every layer: host, ROM and QEMU tests, then the host tests again under the sanitizers.
test: build
	@cd $(BUILD) && ctest --output-on-failure -j2 --timeout 900
	@$(MAKE) --no-print-directory test-sanitize

test-host: build
	@cd $(BUILD) && ctest --output-on-failure -j2 -LE qemu

test-qemu: build
	@cd $(BUILD) && ctest --output-on-failure -L qemu

# The host tests again under AddressSanitizer and UBSan, in their own tree.
test-sanitize: deps
	@cmake -S . -B $(BUILD)/sanitize -DCMAKE_BUILD_TYPE=Debug -DQUILLON_KERNEL=OFF -DQUILLON_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)/sanitize -j$(JOBS)
	@cd $(BUILD)/sanitize && ctest --output-on-failure -j2 --timeout 900 -LE qemu

# Benchmarks, not tests: the host-side speed of the core, the machine, the
# VIC and the SID, and BASIC's own speed in 6502 cycles.
bench: build
	@cmake --build $(BUILD) -j$(JOBS) --target cpu_bench machine_bench vic_bench sid_bench
	@for b in cpu_bench machine_bench vic_bench sid_bench; do $(BUILD)/tests/bench/$$b; done
	@tests/roms/basic/bench/basic_bench.py $(BUILD)/c64host

# The README's pictures, from screendumps of the real image.
screenshots: build
	@tools/qemu/screenshots.py $(BUILD) docs/screenshots

clean:
	rm -rf $(BUILD)
