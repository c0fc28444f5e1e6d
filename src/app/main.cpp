// wekset: turns a plain-text calendar source into the LaTeX document "wek.tex".
#include "app/run.h"

int main(int argc, char* argv[]) { return wekset::RunProgram(argc, argv); }
