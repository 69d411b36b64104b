// Build step: draws every image of Flint.bundle into the folder given on the command line.

#include <cstdio>

#include "resources/Catalogue.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    int failures = flint::resources::writeBundle(argv[1]);
    if (failures) std::fprintf(stderr, "flint-bundle: %d images could not be written\n", failures);
    return failures ? 1 : 0;
}
