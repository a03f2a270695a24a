# The two commands of the quick start, `make run` and `make test`; the
# demo's undo, `make demo-clean`; `make bench` (and its real-size section
# alone, `make scale`), `make fuzz` and `make format`.
.PHONY: all deps build run test bench scale fuzz format demo-clean clean

all: build

deps:
	@bash scripts/install-deps.sh all

# Only what the Linux updater and sabun need: no Wine, no mingw, no tests.
# Building installs nothing; make run and make test install what they need.
build:
	cmake --preset linux-app
	cmake --build --preset linux-app -j $$(nproc)

run:
	@bash scripts/install-deps.sh linux
	@$(MAKE) --no-print-directory build
	@bash scripts/run-demo.sh

# Whether this kernel runs 32-bit programs is found out once, and that answer
# decides both what is installed and which Windows build the tests run.
test:
	@export TESSEL_RUNS_I386=$$(bash scripts/runs-i386.sh); \
	  bash scripts/install-deps.sh all && bash scripts/test-all.sh

# The ratio table of the benchmarks and the update at its real size, 381
# fonts built into the three updaters and run in the terminal and under Wine
# (bench/run.sh; long: its inputs take half an hour to make the first time).
bench:
	@export TESSEL_RUNS_I386=$$(bash scripts/runs-i386.sh); \
	  bash scripts/install-deps.sh all && bash scripts/install-deps.sh bench && bash bench/run.sh

scale:
	@export TESSEL_RUNS_I386=$$(bash scripts/runs-i386.sh); \
	  bash scripts/install-deps.sh all && bash scripts/install-deps.sh bench && bash bench/run.sh --scale

# Every fuzz target for SECONDS each (default 180), new finds merged into
# fuzz/corpus/.
fuzz:
	@bash scripts/install-deps.sh fuzz
	@bash scripts/fuzz.sh $(SECONDS)

# Every C++ file formatted by .clang-format (make test checks it).
format:
	@bash scripts/check-format.sh --fix

demo-clean:
	@bash scripts/run-demo.sh --clean

clean:
	rm -rf build
