// wekset: turns a plain-text calendar source into the LaTeX document "wek.tex".
#include <unistd.h>

#include "app/run.h"

int main(int argc, char* argv[]) {
  wekset::Console console{stdout, isatty(STDOUT_FILENO) == 1};
  return wekset::Run(argc, argv, console);
}
