# Two commands do everything on a fresh Debian machine (as root):
#   make demo    build, register the add-in in a private Wine prefix and run the host stand-in
#   make check   build both builds and run every test
.PHONY: demo check bootstrap

demo: bootstrap
	scripts/demo.sh

check: bootstrap
	scripts/check.sh

bootstrap:
	scripts/bootstrap.sh
