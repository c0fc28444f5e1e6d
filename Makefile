# Set-up and everyday commands: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build run test clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWEKSET_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

# Makes a calendar in run/ from run/calendar.txt, and its PDF where pdflatex
# is installed; a first run writes the bundled example there. Text that is not
# UTF-8, like the example's Korean, is compiled in the raw input encoding.
run: build
	mkdir -p run
	cd run && { [ -e calendar.txt ] || ../$(BUILD)/wekset; } && ../$(BUILD)/wekset
	@cd run && if ! command -v pdflatex > /dev/null; then \
	  echo "Made $$PWD/wek.tex; install pdflatex to make the PDF."; \
	else \
	  input=wek.tex; \
	  iconv -f UTF-8 -t UTF-8 wek.tex > /dev/null 2>&1 || input='\UseRawInputEncoding\input{wek.tex}'; \
	  pdflatex -interaction=nonstopmode -halt-on-error -jobname=wek "$$input" > /dev/null || \
	    { echo "pdflatex failed: see $$PWD/wek.log"; exit 1; }; \
	  echo "Made $$PWD/wek.tex and $$PWD/wek.pdf"; \
	fi

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) run
