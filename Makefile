# Two commands do everything on a fresh Debian machine (as root):
#   make demo    build, register the add-in in a private Wine prefix and run the host stand-in
#   make check   build both builds and run every test
# and one to measure:
#   make bench   build the benchmarks without sanitizers and run them (scripts/bench.sh)
.PHONY: demo check bench bootstrap

demo: bootstrap
	scripts/demo.sh

check: bootstrap
	scripts/check.sh

bench: bootstrap
	scripts/bench.sh

bootstrap:
	scripts/bootstrap.sh
