# The two commands of the README:
#   make run   installs what is missing, builds, installs into build/install
#              and calculates the default example position
#   make test  installs what is missing, builds the test configuration
#              (AddressSanitizer + UndefinedBehaviorSanitizer) and runs all tests
JOBS      ?= $(shell nproc)
EXAMPLE   ?= examples/Einfeldtraeger.vkx
BUILD_REL := build/release
BUILD_TST := build/test
PREFIX    := $(CURDIR)/build/install

.PHONY: all deps build run test bench clean

all: build

deps:
	@bash scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_REL) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIGEL_TESTS=OFF \
	      -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD_REL) -j $(JOBS)
	cmake --install $(BUILD_REL) > /dev/null

run: build
	@mkdir -p build/run
	@cp -f $(EXAMPLE) build/run/
	$(PREFIX)/bin/velor2005 calc build/run/$(notdir $(EXAMPLE))

# The test command says at its end how long the build and the tests took
# (also when either failed; its exit status is theirs).
test: deps
	@start=$$(date +%s); rc=0; \
	cmd() { echo "$$*"; "$$@"; }; \
	cmd cmake -S . -B $(BUILD_TST) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" \
	    -DRIGEL_SANITIZE=ON -DRIGEL_TESTS=ON && \
	cmd cmake --build $(BUILD_TST) -j $(JOBS) || rc=$$?; \
	built=$$(date +%s); \
	if [ $$rc -eq 0 ]; then \
	    cd $(BUILD_TST) && cmd env ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	        ctest --output-on-failure -j $(JOBS) --timeout 600 || rc=$$?; \
	fi; \
	end=$$(date +%s); \
	b=$$((built - start)); t=$$((end - built)); \
	printf 'make test: build %dm%02ds, tests %dm%02ds, together %dm%02ds (-j %s)\n' \
	    $$((b / 60)) $$((b % 60)) $$((t / 60)) $$((t % 60)) $$(((b + t) / 60)) $$(((b + t) % 60)) "$(JOBS)"; \
	exit $$rc

bench: deps
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DRIGEL_TESTS=OFF -DRIGEL_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	@for b in build/bench/bench/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf build
