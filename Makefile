# Set-up and everyday commands. `make run` makes a calendar and its PDF from
# the bundled example; `make test` builds and runs every test, under the
# sanitizers too, and fuzzes for a while. Each first installs the Debian
# packages it needs, or says how.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 36
PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

RUN_PACKAGES = cmake g++ make texlive-latex-base texlive-latex-recommended texlive-luatex \
  fonts-noto-core fonts-noto-cjk fonts-noto-color-emoji fontconfig \
  texlive-lang-german texlive-lang-greek texlive-lang-cyrillic texlive-lang-french \
  texlive-lang-spanish texlive-lang-italian texlive-lang-european texlive-lang-polish \
  texlive-lang-czechslovak texlive-lang-portuguese texlive-lang-other libicu-dev pkg-config
# locales-all holds the locales that the tests of --lang name.
# texlive-fonts-extra holds the METAFONT sources of the fonts that wek.tex
# names, for the tests that run pdflatex on the document as it is, by hand.
TEST_PACKAGES = $(RUN_PACKAGES) texlive-fonts-extra libgtest-dev libical-dev \
  libcurl4-openssl-dev libssl-dev \
  clang clang-format man-db poppler-utils python3-fitz python3-recurring-ical-events nodejs \
  strace perl time shellcheck locales-all libharfbuzz-bin python3-bidi python3-icu

.PHONY: all build run test test-sanitized fuzz install bench clean picture

all: build

# The program, which needs only cmake and a C++ compiler. A new build folder
# has no tests, as CMake's own default; `make test` turns them on, and later
# builds keep what the folder has, so that no build reconfigures another's.
build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWEKSET_WERROR=ON \
	  $(if $(WITH_TESTS),-DWEKSET_TESTS=$(WITH_TESTS)) $(if $(WITH_ICS),-DWEKSET_ICS=$(WITH_ICS))
	cmake --build $(BUILD) -j $(JOBS)

# Makes run/wek.tex and run/wek.pdf from run/calendar.txt; a first run
# writes the bundled example there.
run:
	@tools/need-packages.sh $(RUN_PACKAGES)
	$(MAKE) build
	@mkdir -p run
	@cd run && { [ -e calendar.txt ] || ../$(BUILD)/wekset > /dev/null; } && ../$(BUILD)/wekset-pdf

# The picture of the sample's first page in README.md.
picture: build
	@tools/need-packages.sh $(RUN_PACKAGES) poppler-utils
	@work=$$(mktemp -d) && trap 'rm -rf "$$work"' EXIT && \
	  (cd "$$work" && $(CURDIR)/$(BUILD)/wekset > /dev/null && $(CURDIR)/$(BUILD)/wekset-pdf > /dev/null) && \
	  pdftoppm -png -r 100 -singlefile -f 1 -l 1 "$$work/wek.pdf" docs/sample-page

# clang's fuzzing runtime comes in a package named after clang's version.
test:
	@tools/need-packages.sh $(TEST_PACKAGES)
	@tools/need-packages.sh libclang-rt-$$(clang -dumpversion | cut -d. -f1)-dev
	$(MAKE) build WITH_TESTS=ON WITH_ICS=ON
	$(MAKE) $(BUILD)/ical-js/installed
	tools/ctest.sh --test-dir $(BUILD) --output-on-failure --no-tests=error -j $(JOBS)
	$(MAKE) test-sanitized
	$(MAKE) fuzz FUZZ_SECONDS=$(FUZZ_SECONDS)

# ical.js, the corpus test's second reference, from the npm registry at the
# version that its lock file pins, into a build folder. Debian's npm comes
# only where no npm is, as one that came with Node conflicts with it.
%/ical-js/installed: tests/ical-js/package.json tests/ical-js/package-lock.json
	@command -v npm > /dev/null || tools/need-packages.sh npm
	mkdir -p $*/ical-js
	cp tests/ical-js/package.json tests/ical-js/package-lock.json $*/ical-js/
	npm ci --prefix $*/ical-js --no-audit --no-fund
	touch $@

# The whole suite again, with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitized:
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DWEKSET_WERROR=ON -DWEKSET_SANITIZE=ON \
	  -DWEKSET_TESTS=ON -DWEKSET_ICS=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	$(MAKE) $(SANITIZE_BUILD)/ical-js/installed
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  tools/ctest.sh --test-dir $(SANITIZE_BUILD) --output-on-failure --no-tests=error -j $(JOBS)

# Fuzzes for FUZZ_SECONDS in all, from the seed corpora in tests/fuzz: a
# third on the pipeline in memory, a sixth each on whole runs in a temporary
# directory, on wekset-ics's parsing and expanding, on files made by the
# grammar of components, and on random rules, each of those inputs given 3
# seconds at most. New inputs stay in $(FUZZ_BUILD)/*corpus, findings in
# $(FUZZ_BUILD)/.
fuzz:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DWEKSET_WERROR=ON -DWEKSET_FUZZ=ON -DWEKSET_TESTS=OFF -DWEKSET_ICS=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/ics-corpus $(FUZZ_BUILD)/ics-structure-corpus \
	  $(FUZZ_BUILD)/ics-rule-corpus $(FUZZ_BUILD)/breaks-corpus
	$(FUZZ_BUILD)/pipeline_fuzzer -max_total_time=$$(( $(FUZZ_SECONDS) / 3 )) -print_final_stats=1 \
	  -artifact_prefix=$(CURDIR)/$(FUZZ_BUILD)/ $(CURDIR)/$(FUZZ_BUILD)/corpus $(CURDIR)/tests/fuzz/corpus
	$(FUZZ_BUILD)/run_fuzzer -max_total_time=$$(( $(FUZZ_SECONDS) / 6 )) \
	  -print_final_stats=1 -artifact_prefix=$(CURDIR)/$(FUZZ_BUILD)/ \
	  $(CURDIR)/$(FUZZ_BUILD)/corpus $(CURDIR)/tests/fuzz/corpus
	$(FUZZ_BUILD)/ics_fuzzer -max_total_time=$$(( $(FUZZ_SECONDS) / 6 )) -timeout=3 \
	  -print_final_stats=1 -artifact_prefix=$(CURDIR)/$(FUZZ_BUILD)/ \
	  $(CURDIR)/$(FUZZ_BUILD)/ics-corpus $(CURDIR)/tests/fuzz/ics_corpus
	$(FUZZ_BUILD)/ics_structure_fuzzer -max_total_time=$$(( $(FUZZ_SECONDS) / 6 )) -timeout=3 \
	  -print_final_stats=1 -artifact_prefix=$(CURDIR)/$(FUZZ_BUILD)/ $(CURDIR)/$(FUZZ_BUILD)/ics-structure-corpus
	$(FUZZ_BUILD)/breaks_fuzzer -max_total_time=$$(( $(FUZZ_SECONDS) / 12 )) -timeout=3 \
	  -print_final_stats=1 -artifact_prefix=$(CURDIR)/$(FUZZ_BUILD)/ $(CURDIR)/$(FUZZ_BUILD)/breaks-corpus
	$(FUZZ_BUILD)/ics_rule_fuzzer -timeout=3 -print_final_stats=1 \
	  -max_total_time=$$(( $(FUZZ_SECONDS) - $(FUZZ_SECONDS) / 3 - 3 * ($(FUZZ_SECONDS) / 6) - $(FUZZ_SECONDS) / 12 )) \
	  -artifact_prefix=$(CURDIR)/$(FUZZ_BUILD)/ $(CURDIR)/$(FUZZ_BUILD)/ics-rule-corpus

# Installs the program and its manual page under $(DESTDIR)$(PREFIX).
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# Speed and peak memory on large inputs, made in a temporary directory that is
# removed afterwards, and of wekset-ics where it is built. Needs GNU time
# (Debian package time).
BENCH_MEGABYTES ?= 200
bench: build
	bench/run.sh $(BUILD)/wekset $(BENCH_MEGABYTES)
	bench/pdf.sh $(BUILD)/wekset-pdf
	@if [ -x $(BUILD)/wekset-ics ]; then bench/ics.sh $(BUILD)/wekset-ics; \
	  else echo "wekset-ics is not built: it needs libical-dev, libicu-dev and pkg-config"; fi

# Removes the builds and what `make run` made, never run/calendar.txt.
clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
	rm -f run/wek.tex run/wek.aux run/wek.log run/wek.pdf
