// wekset-breaks: the line break opportunities of a document's text without
// spaces, for wekset-pdf to pass to TeX.
#include <cstdio>

#include "breaks/line_breaks.h"

int main() { return wekset::breaks::WriteRunBreaks(stdin, stdout, stderr) ? 0 : 1; }
