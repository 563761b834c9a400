#include "intro/intro.h"
#include "standard_files/standard_files.h"

int main() {
    standard_files_ensure_open();
    return intro_main();
}
