// Prints the Help window's document, for the window programs' manual page.
#include <cstdio>

#include "info/HelpText.h"

int main() {
    std::fputs(helpText().toUtf8().constData(), stdout);
    return 0;
}
