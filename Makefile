# The two commands of the quick start: `make run` and `make test`.
.PHONY: all deps build run test clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset linux
	cmake --build --preset linux -j $$(nproc)

run: build
	@bash scripts/run-demo.sh

test: deps
	@bash scripts/test-all.sh

clean:
	rm -rf build
