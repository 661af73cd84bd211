# Thin wrapper around the CMake presets; see README.md.
.PHONY: all deps build test tsan run demo designer bench fuzz fuzz-smoke docs clean

all: build

deps:
	@./scripts/deps.sh

build: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release

# The test build also compiles the programs, the examples and the benchmarks (without running the benchmarks),
# and the fuzz targets are built and run briefly on their corpora, so nothing that is not
# run every day can rot unnoticed.
test: deps
	@cmake --preset test >/dev/null
	@cmake --build --preset test
	@ctest --preset test
	@$(MAKE) --no-print-directory tsan fuzz-smoke

# The parts that run on several threads (the two-thread SQLite reader and filter, a cancel
# from another thread), built and run under ThreadSanitizer; the build is optimised as a
# release is, and also links the package test and each layer alone.
tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan
	@ctest --preset tsan

# The main job: the query-by-example program on the embedded sample data.
run: build
	@./build/release/apps/qbe $(ARGS)

# The demo application: in a window when a display is there, else it says how to get a
# picture of it (make demo ARGS="--screenshot demo.png").
demo: build
	@./build/release/apps/demo $(ARGS)

# The designer program: designs a form from a script (make designer ARGS="--script FILE"),
# or in a window (make designer ARGS="--window").
designer: build
	@./build/release/apps/designer $(ARGS)

# The API reference, in build/release/docs/html (doxygen; warnings fail the run).
docs: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target docs

bench: deps
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz

# Each fuzz target for a bounded time on its seed corpus (copied, so new inputs stay out of the
# tree); a crash or a broken promise fails the run.
FUZZ_SECONDS ?= 20
fuzz-smoke: fuzz
	@for t in reader text; do \
	  rm -rf build/fuzz/corpus-$$t && cp -r fuzz/corpus/$$t build/fuzz/corpus-$$t && \
	  ./build/fuzz/fuzz/fuzz_form_$$t -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=build/fuzz/ \
	    build/fuzz/corpus-$$t 2>build/fuzz/fuzz_$$t.log || { tail -40 build/fuzz/fuzz_$$t.log; exit 1; }; \
	  echo "fuzz_form_$$t: no finding in $(FUZZ_SECONDS) s"; \
	done

clean:
	rm -rf build
