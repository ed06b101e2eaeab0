# Thin wrapper over the CMake presets. See README.md.
.PHONY: all bench coverage deps demo fuzz test test-host test-win32 dist clean

all: dist

# Installs what is missing (Debian packages; as root or with sudo).
deps:
	@if [ "$$(id -u)" -eq 0 ]; then tools/install-deps; else sudo tools/install-deps; fi

# Every test: host unit tests under the sanitizers, then the deliverables
# and the end-to-end tests under Wine.
test: deps test-host test-win32

test-host:
	cmake --preset host
	cmake --build --preset host
	ctest --preset host

test-win32:
	cmake --preset win32
	cmake --build --preset win32
	ctest --preset win32

# Runs each libFuzzer target (tests/fuzz) for FUZZ_SECONDS; tools/fuzz
# runs one, or merges what runs found into the committed corpus.
FUZZ_SECONDS ?= 60
fuzz: deps
	tools/fuzz all $(FUZZ_SECONDS)

# Line and branch coverage of the product's sources by every host test, never
# part of test: a build of its own (preset coverage), the report on the
# terminal and in build/coverage/index.html. See README.md.
coverage: deps
	tools/coverage

# Benchmarks, never part of test: each operation beside the platform's own
# on the host (simulation) and under Wine; results in build/bench/results/,
# see docs/performance.md. tools/bench explains its settings.
bench: deps
	tools/bench

# The kit at work on a throwaway Wine machine: screenshots and a report in
# build/demo/ (DEMO_FAMILY=nt40 for the NT family).
demo: deps
	cmake --preset win32
	cmake --build --preset win32
	tools/demo

# The deliverables in dist/.
dist: deps
	cmake --preset win32
	cmake --build --preset win32 --target dist
	@ls -l dist

clean:
	rm -rf build dist
