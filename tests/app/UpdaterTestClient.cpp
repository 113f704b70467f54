// A stand-in client for the updater's tests: it carries a version record and,
// when run, appends a line to the file VIZUZOR_TEST_MARKER names.

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const char* marker = std::getenv("VIZUZOR_TEST_MARKER");
    if (marker == nullptr) return 3;
    std::FILE* file = std::fopen(marker, "a");
    if (file == nullptr) return 4;
    std::fprintf(file, "ran %d\n", argc);
    std::fclose(file);
    (void)argv;
    return 0;
}
