# The two commands of the quick start, `make run` and `make test`, and the
# demo's undo, `make demo-clean`.
.PHONY: all deps build run test demo-clean clean

all: build

deps:
	@bash scripts/install-deps.sh all

# Only what the Linux updater and sabun need: no Wine, no mingw, no tests.
build:
	@bash scripts/install-deps.sh linux
	cmake --preset linux-app
	cmake --build --preset linux-app -j $$(nproc)

run: build
	@bash scripts/run-demo.sh

test: deps
	@bash scripts/test-all.sh

demo-clean:
	@bash scripts/run-demo.sh --clean

clean:
	rm -rf build
