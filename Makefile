# Tarnwick: the two commands of the README, and a few more.
#   make run    build and start Tarnwick under Wine on the demo configuration
#   make test   build both architectures and run every test
#   make bench  run the benchmarks, one "name: value" line per figure
#   make dist   build both architectures and pack build/dist/Tarnwick-<version>.zip
.PHONY: setup build run test bench dist clean

setup:
	@tools/setup.sh

build: setup
	@tools/build.sh x86_64

run: setup
	@tools/run.sh

test: setup
	@tools/test.sh

bench: setup
	@tools/bench.sh

dist: setup
	@tools/dist.sh

clean:
	rm -rf build
