# Thin wrapper around the CMake presets; see README.md.
.PHONY: all deps build test run bench fuzz clean

all: build

deps:
	@./scripts/deps.sh

build: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release

test: deps
	@cmake --preset test >/dev/null
	@cmake --build --preset test
	@ctest --preset test

# The main job: the query-by-example program on the embedded sample data.
run: build
	@./build/release/examples/qbe $(ARGS)

bench: deps
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz

clean:
	rm -rf build
