# Two commands do everything on a fresh Debian machine (as root):
#   make demo    build, register the add-in in a private Wine prefix and run the host stand-in
#   make check   build both builds and run every test
#   make bench   build the benchmarks without sanitizers and run them (scripts/bench.sh)
#   make fuzz    every fuzz target for FUZZ_SECONDS each (default 600)
#   make package build/package/velmora-<version>.msi and .zip (scripts/package.sh)
.PHONY: demo check bench fuzz package bootstrap

demo: bootstrap
	scripts/demo.sh

check: bootstrap
	scripts/check.sh

# Benchmarks, each printing its ratio on its last line.
bench: bootstrap
	scripts/bench.sh

FUZZ_SECONDS ?= 600
fuzz: bootstrap
	scripts/fuzz.sh $(FUZZ_SECONDS)

package: bootstrap
	scripts/package.sh

bootstrap:
	scripts/bootstrap.sh
