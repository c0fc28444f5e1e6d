# Set-up and everyday commands: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build run test clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWEKSET_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

# Makes a calendar in run/ from run/calendar.txt; a first run writes the
# bundled example there.
run: build
	mkdir -p run
	cd run && { [ -e calendar.txt ] || ../$(BUILD)/wekset; } && ../$(BUILD)/wekset

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) run
