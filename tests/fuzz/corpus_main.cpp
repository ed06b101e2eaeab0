// The regression driver of a fuzz target in the host build: runs the
// target once over each file named on the command line, and over every
// file of each directory named (in name order). A broken property aborts
// the run with the target's report; the name of the input comes first.
#include "fuzz_support.h"

#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        fs::path named(argv[i]);
        if (fs::is_directory(named)) {
            std::vector<fs::path> files;
            for (const fs::directory_entry& entry : fs::directory_iterator(named))
                if (entry.is_regular_file()) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            inputs.insert(inputs.end(), files.begin(), files.end());
        } else if (fs::is_regular_file(named)) {
            inputs.push_back(named);
        } else {
            fprintf(stderr, "%s: no such file or directory\n", argv[i]);
            return 2;
        }
    }
    if (inputs.empty()) {
        fprintf(stderr, "usage: %s corpus-directory-or-file...  (found no input)\n", argv[0]);
        return 2;
    }
    for (const fs::path& input : inputs) {
        std::ifstream file(input, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (!file.good() && !file.eof()) {
            fprintf(stderr, "%s: cannot read\n", input.c_str());
            return 2;
        }
        fprintf(stderr, "running %s\n", input.c_str());
        LLVMFuzzerTestOneInput((const uint8_t*)bytes.data(), bytes.size());
    }
    printf("%zu inputs ran without a broken property\n", inputs.size());
    return 0;
}
