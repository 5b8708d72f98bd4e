# Thin wrappers around CMake and CTest. Every target first makes sure the
# Debian packages the build needs are present.

BUILD    ?= build
SANITIZE ?= build-sanitize
PREFIX   ?= /usr/local
JOBS     ?= $(shell nproc)
BENCH    ?= build-bench
FUZZ     ?= build-fuzz
FUZZ_SECONDS ?= 60
WEB      ?= build-web
WASM     ?= build-wasm
GIFLIB   ?= build-giflib
WEB_PORT ?= 8000
TOOL_PORT ?= 8080
TOOL_DATA ?= build-tool-data

# What the game needs to build and run: make run installs these alone.
# dpkg-buildflags (dpkg-dev) gives the hardening flags of release builds.
GAME_PACKAGES := g++ cmake make qt6-base-dev libgif-dev libpng-dev libx11-dev libxcb1-dev \
                 fonts-ipafont-gothic dpkg-dev
# The LTI tool's libraries (make tool); make test installs them with the rest.
TOOL_PACKAGES := pkg-config libcpp-httplib-dev nlohmann-json3-dev libssl-dev libsqlite3-dev
PACKAGES := $(GAME_PACKAGES) googletest libgtest-dev libbenchmark-dev \
            desktop-file-utils appstream \
            xvfb openbox x11-utils weston qt6-wayland libxfixes-dev libxtst-dev \
            emscripten chromium firefox-esr webkit2gtk-driver python3 python3-websocket python3-pil libxml2-utils \
            nginx apache2 brotli \
            $(TOOL_PACKAGES) python3-jwt python3-cryptography

# Where make install and make package put the game, relative to PREFIX, when
# given (BINDIR=bin puts it with the other programs); build/ keeps it until
# it is given again. Empty leaves CMake's choice, games.
BINDIR ?=
CONFIGURE_OPTIONS := $(if $(BINDIR),-DCMAKE_INSTALL_BINDIR=$(BINDIR))

# Installed by the targets that need them only, so that make test stays lean.
BENCH_PACKAGES    := valgrind xvfb libx11-dev libxtst-dev libxdamage-dev postgresql
FUZZ_PACKAGES     := clang libclang-rt-14-dev
MEMCHECK_PACKAGES := valgrind
LINT_PACKAGES     := clang-format clang-tidy cppcheck
LINT_PACKAGES     += lintian devscripts
WEB_PACKAGES      := emscripten python3 brotli
# make dist cross-builds the arm64 package with Debian's cross compilers and
# arm64 libraries beside the machine's own, and tests it under qemu-user.
ARM64_PACKAGES    := crossbuild-essential-arm64 qemu-user qt6-base-dev:arm64 libgif-dev:arm64 libpng-dev:arm64 \
                     libx11-dev:arm64 libxcb1-dev:arm64 libfontconfig-dev:arm64 \
                     libgtest-dev:arm64 libxfixes-dev:arm64 libxtst-dev:arm64
# make dist-check installs the packages in Debian 13 roots, an arm64 one under
# qemu, and plays them there with the window suites.
DEBIAN13_PACKAGES := mmdebstrap arch-test qemu-user-static binfmt-support libgtest-dev
DIST_PACKAGES     := $(WEB_PACKAGES) git dpkg-dev lintian $(ARM64_PACKAGES) $(DEBIAN13_PACKAGES)

# Debian's emscripten runs its tools with Node, which must be told where
# Debian keeps their modules.
EMSCRIPTEN_ENV := NODE_PATH=/usr/share/nodejs

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Named before the targets that need it (make test); made with Lighthouse's.
BROWSER_TOOLS := tools/browsers/node_modules/.package-lock.json
# The same for make bench's reference for the LTI tool.
LTIJS         := bench/ltijs/node_modules/.package-lock.json

.PHONY: deps game-deps configure build run test sanitize install package bench fuzz memcheck lint clean web web-run lighthouse scorm-runtime FORCE
.PHONY: tool
.PHONY: dist dist-check

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing >/dev/null; \
	fi

game-deps:
	@$(MAKE) --no-print-directory deps PACKAGES="$(GAME_PACKAGES)"

# Configured once, and again whenever BINDIR is given. Installing and packing
# build nothing themselves: make install and make package build what they hold.
$(BUILD)/CMakeCache.txt: $(if $(BINDIR),FORCE) | game-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON $(CONFIGURE_OPTIONS)

# Everything make test needs. A build/ that make run configured without
# GoogleTest or the tool's libraries is configured again once make deps has
# installed them.
configure: deps $(BUILD)/CMakeCache.txt
	@[ -d $(BUILD)/tests ] && [ -d $(BUILD)/tool ] || cmake -S . -B $(BUILD)
	@[ -d $(BUILD)/tests ] || { echo "GoogleTest was not found, so the tests cannot be built" >&2; exit 1; }

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The game and its pictures alone, with what they need to build and run.
run: game-deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target zentrik pictures
	./$(BUILD)/zentrik

# The server tests run Lighthouse's audits behind nginx and apache2; the
# course packages' tests play them in a SCORM runtime.
test: build web lighthouse scorm-runtime $(BROWSER_TOOLS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The browser tests play a page whose core is built with the sanitizers too,
# in Chromium.
sanitize: deps lighthouse scorm-runtime $(BROWSER_TOOLS)
	@$(MAKE) --no-print-directory web WEB=$(SANITIZE)-web WASM=$(SANITIZE)-wasm WEB_OPTIONS=-DZENTRIK_SANITIZE=ON
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DZENTRIK_SANITIZE=ON -DZENTRIK_WEB_SITE=$(CURDIR)/$(SANITIZE)-web \
	    -DZENTRIK_WEB_SINGLE_FILE=$(CURDIR)/$(SANITIZE)-wasm/zentrik.html \
	    -DZENTRIK_WEB_COURSE_DIR=$(CURDIR)/$(SANITIZE)-wasm -DZENTRIK_BROWSERS=chromium
	cmake --build $(SANITIZE) -j $(JOBS)
	cd $(SANITIZE) && ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 UBSAN_OPTIONS=print_stacktrace=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	    ctest --output-on-failure -j $(JOBS)

# The game, its pictures and its manual page and changelog, with what they
# need to build and run: no test, browser or server.
GAME_TARGETS := zentrik pictures packaging_docs
install: game-deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target $(GAME_TARGETS)
	cmake --install $(BUILD) --prefix $(PREFIX)

# The package's folders are the system's 0755, whatever the caller's umask.
package: game-deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target $(GAME_TARGETS)
	cd $(BUILD) && umask 022 && cpack -G DEB

# Figures against references measured in the same run; see bench/run.sh.
bench: deps web lighthouse scorm-runtime $(LTIJS)
	@$(MAKE) --no-print-directory deps PACKAGES="$(BENCH_PACKAGES)"
	JOBS=$(JOBS) bench/run.sh $(BENCH) $(SANITIZE) $(WEB) $(WASM)/zentrik.html

# libFuzzer with ASan and UBSan, FUZZ_SECONDS per target; see fuzz/run.sh.
fuzz: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(FUZZ_PACKAGES)"
	cmake -S . -B $(FUZZ) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DZENTRIK_SANITIZE=ON -DZENTRIK_FUZZ=ON
	cmake --build $(FUZZ) -j $(JOBS) --target fuzz_loadpicture fuzz_rules fuzz_tool
	fuzz/run.sh $(FUZZ) $(FUZZ_SECONDS)

# Every window suite under valgrind's memcheck, offscreen and on X11; see tests/memcheck.
memcheck: build
	@$(MAKE) --no-print-directory deps PACKAGES="$(MEMCHECK_PACKAGES)"
	tests/memcheck $(BUILD)

# clang-format leaves the tree as it is; clang-tidy and cppcheck find nothing;
# the game is hardened; lintian passes the package. See tools/lint.
lint: build
	@$(MAKE) --no-print-directory deps PACKAGES="$(LINT_PACKAGES)"
	tools/lint $(BUILD)

# The README's screenshot, docs/screenshot.png, taken from the window offscreen.
.PHONY: screenshot
screenshot: configure
	cmake --build $(BUILD) -j $(JOBS) --target screenshot

# The page: the core compiled by emscripten with the browser front end, put
# together in $(WEB), a static folder for any web server. The generator of the
# native build draws its pictures; giflib is Debian's source (web/fetch-giflib).
web: game-deps $(BUILD)/CMakeCache.txt
	@$(MAKE) --no-print-directory deps PACKAGES="$(WEB_PACKAGES)"
	cmake --build $(BUILD) -j $(JOBS) --target pictures first-board
	web/fetch-giflib $(GIFLIB)
	$(EMSCRIPTEN_ENV) emcmake cmake -S . -B $(WASM) -DZENTRIK_PICTURE_DIR=$(CURDIR)/$(BUILD)/pictures \
	    -DZENTRIK_GIFLIB_DIR=$(CURDIR)/$(GIFLIB)/src -DZENTRIK_SITE_DIR=$(CURDIR)/$(WEB) $(WEB_OPTIONS) >/dev/null
	$(EMSCRIPTEN_ENV) cmake --build $(WASM) -j $(JOBS)

# Serves the page on this machine only, at WEB_PORT.
web-run: web
	@echo "Zentrik in the browser: http://localhost:$(WEB_PORT)/ (Ctrl+C ends)"
	/usr/bin/python3 -m http.server --bind 127.0.0.1 --directory $(WEB) $(WEB_PORT)

# The LTI tool on this machine only, at TOOL_PORT, serving the page make web
# put together, with its database and key in TOOL_DATA; see docs/lti.md. A
# build/ configured before the tool's libraries were installed is configured
# again.
tool: web
	@$(MAKE) --no-print-directory deps PACKAGES="$(TOOL_PACKAGES)"
	@[ -d $(BUILD)/tool ] || cmake -S . -B $(BUILD)
	cmake --build $(BUILD) -j $(JOBS) --target zentrik-tool
	mkdir -p $(TOOL_DATA)
	@echo "The LTI tool: http://localhost:$(TOOL_PORT)/ (Ctrl+C ends); register a platform with"
	@echo "  ./$(BUILD)/zentrik-tool register --data $(TOOL_DATA) --base-url http://localhost:$(TOOL_PORT) ..."
	./$(BUILD)/zentrik-tool --port $(TOOL_PORT) --data $(TOOL_DATA) --pages $(WASM)/lti \
	    --base-url http://localhost:$(TOOL_PORT)

# Lighthouse, pinned by its lock file, for the bench and the page's audits;
# it runs on the machine's Node (Debian's, with npm, where there is none)
# and Debian's chromium.
LIGHTHOUSE := tools/lighthouse/node_modules/.bin/lighthouse
lighthouse: $(LIGHTHOUSE)
$(LIGHTHOUSE): tools/lighthouse/package-lock.json
	@command -v npm >/dev/null || $(MAKE) --no-print-directory deps PACKAGES=npm
	cd tools/lighthouse && npm ci --no-audit --no-fund --loglevel=error
	touch $@

# A learning platform's SCORM runtime (scorm-again) and the standards' schema
# files, pinned by their lock file, for the course packages' tests.
SCORM_RUNTIME := tools/scorm/node_modules/scorm-again/package.json
scorm-runtime: $(SCORM_RUNTIME)
$(SCORM_RUNTIME): tools/scorm/package-lock.json
	@command -v npm >/dev/null || $(MAKE) --no-print-directory deps PACKAGES=npm
	cd tools/scorm && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error
	touch $@

# ltijs on PostgreSQL, pinned by its lock file: the LTI tool's reference in
# make bench, never in the product.
$(LTIJS): bench/ltijs/package-lock.json
	@command -v npm >/dev/null || $(MAKE) --no-print-directory deps PACKAGES=npm
	cd bench/ltijs && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error
	touch $@

# The parser and the browsers' compatibility data, pinned by their lock
# file, for the page's check against the oldest browsers it promises
# (tools/check-browsers).
$(BROWSER_TOOLS): tools/browsers/package-lock.json
	@command -v npm >/dev/null || $(MAKE) --no-print-directory deps PACKAGES=npm
	cd tools/browsers && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error
	touch $@

# A release, the same bit for bit from any clone of the same commit, in
# DIST: the page's archives, the Debian packages for amd64 and arm64, the
# source and SHA256SUMS, built in folders of its own; see tools/dist.
DIST       ?= dist
DIST_BUILD ?= build-dist
DIST_ARM64 ?= build-dist-arm64
DIST_DEPS   = dpkg --print-foreign-architectures | grep -qx arm64 || $(SUDO) dpkg --add-architecture arm64; \
              $(MAKE) --no-print-directory deps PACKAGES="$(DIST_PACKAGES)"
dist: game-deps
	@$(DIST_DEPS)
	tools/dist $(DIST) $(DIST_BUILD) $(DIST_ARM64) $(JOBS)

# make dist in two fresh clones of the last commit, apart in folder, umask,
# locale and time zone, must give the same files; the first clone's arm64
# build runs its headless tests under qemu-user, and its packages install
# and play in Debian 13. giflib's source is fetched once, here, for both.
# See tools/dist-check.
dist-check: game-deps
	@$(DIST_DEPS)
	web/fetch-giflib $(GIFLIB)
	tools/dist-check $(GIFLIB) $(JOBS)

clean:
	rm -rf $(BUILD) $(SANITIZE) $(BENCH) $(FUZZ) $(WEB) $(WASM) $(GIFLIB) $(SANITIZE)-web $(SANITIZE)-wasm
	rm -rf $(DIST) $(DIST_BUILD) $(DIST_BUILD)-wasm $(DIST_BUILD)-web $(DIST_ARM64)

FORCE:
