# make test: install what is missing, build, run every test.
# make run:  install what is missing, build, play the demo game.
SHELL      := /bin/bash
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)

DEBIAN_PACKAGES = cmake ninja-build g++ clang libclang-rt-14-dev pkg-config \
                  libgtest-dev libgmock-dev googletest libbenchmark-dev lua5.4 liblua5.4-dev zlib1g-dev \
                  libpng-dev libjpeg62-turbo-dev libsdl2-dev libvorbis-dev vorbis-tools sox \
                  libepoxy-dev libegl-mesa0 libgl1-mesa-dri libegl-dev
# The program links Xlib for what SDL does not say about its X11 window. The
# window tests: an X server of their own, real key presses, Xlib to press the
# close button and read the window's icon as a window manager would, xwininfo
# for the root window, and a small window manager.
DEBIAN_PACKAGES += xvfb xdotool libx11-dev x11-utils openbox
# For bench/mesh only (assimp's load times beside ours); the program never links it.
DEBIAN_PACKAGES += libassimp-dev

.PHONY: all deps configure build test run asan tsan fuzz bench clean

all: build

deps:
	@missing=""; for p in $(DEBIAN_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Assembles $(BUILD)/game/ (the program beside the demo's content) and plays it.
run: configure
	cmake --build $(BUILD) --target game -j $(JOBS)
	@[ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] || echo "No display: the demo plays its attract sequence unseen and unheard, and ends by itself in about half a minute."
	$(BUILD)/game/t3dplayer

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DT3D_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The sound tests under ThreadSanitizer: the mixer, the audio device thread and
# the music refill threads.
tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DT3D_TSAN=ON
	cmake --build build-tsan --target audio_tests sound_tests -j $(JOBS)
	@set -e; for dir in tests/platform/audio tests/sound; do \
	  (cd build-tsan/$$dir && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --output-on-failure -j $(JOBS)); \
	done

# libFuzzer targets (clang); FUZZ_SECONDS per target.
FUZZ_SECONDS ?= 30
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DT3D_FUZZ=ON
	cmake --build build-fuzz --target fuzzers -j $(JOBS)
	@set -e; for f in build-fuzz/tests/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; name=$$(basename $$f); mkdir -p build-fuzz/corpus/$$name; \
	  seeds=tests/fuzz/seeds/$$name; [ -d $$seeds ] || seeds=; \
	  echo "== $$name ($(FUZZ_SECONDS)s)"; \
	  if ! $$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
	       -artifact_prefix=build-fuzz/ build-fuzz/corpus/$$name $$seeds > build-fuzz/$$name.log 2>&1; then \
	    tail -60 build-fuzz/$$name.log; echo "$$name found a fault"; exit 1; \
	  fi; tail -1 build-fuzz/$$name.log; \
	done

bench: build
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	$(BUILD)/bench/script/bench_script bench/script
	$(BUILD)/bench/mesh/bench_mesh
	$(BUILD)/bench/scene/bench_scene bench/scene
	$(BUILD)/bench/scene/bench_ground
	$(BUILD)/bench/converter/bench_converter
	$(BUILD)/bench/render/bench_render
	$(BUILD)/bench/render/bench_frame

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
