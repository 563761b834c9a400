#include "intro/intro.h"

int main() { return intro_main(); }
