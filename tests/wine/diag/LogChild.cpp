// A program that logs each of its arguments as one line, and nothing without arguments.
#include "diag/Log.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) keyvale::WriteLog("%s\n", argv[i]);
    return 0;
}
