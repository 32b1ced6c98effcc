# make run     install what is missing, build, start build/quorrel here
# make test    install what is missing, build, run every test
# make package install what is missing, build, make build/quorrel_<version>_amd64.deb
BUILD ?= build
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
CTEST_FLAGS ?=
DEPS ?=

.PHONY: all build run test test-sanitize package bench fuzz format format-check clean

all: build

# DEPS=test installs the test tools as well.
build:
	scripts/install-deps $(DEPS)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run:
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "Quorrel needs a graphical desktop, and there is none here (neither DISPLAY nor WAYLAND_DISPLAY is set): try 'xvfb-run make run'." >&2; \
	  exit 1; \
	fi
	$(MAKE) --no-print-directory build
	./$(BUILD)/quorrel

test:
	$(MAKE) --no-print-directory build DEPS=test
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) $(CTEST_FLAGS)

# The unit tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize:
	$(MAKE) --no-print-directory test BUILD=build-sanitize \
	  CMAKE_FLAGS="$(CMAKE_FLAGS) -DQUORREL_SANITIZE=ON" CTEST_FLAGS="-L unit"

package:
	$(MAKE) --no-print-directory build DEPS=package
	cd $(BUILD) && cpack

bench:
	$(MAKE) --no-print-directory build DEPS=bench
	scripts/bench $(BUILD)

fuzz:
	scripts/install-deps test
	scripts/fuzz $(FUZZ_SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build build-sanitize fuzz-build
