// The common entry of the data tools: checks the number of arguments, runs
// the tool, and turns a failure into a message and exit status 1.
#pragma once

#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

// `run(argv)` makes the tool's files; `usage` names the tool and its
// arguments, which must number `arguments`.
template <typename Run>
int tool_main(int argc, char** argv, int arguments, const char* usage, Run run) {
    if (argc != arguments + 1) {
        std::cerr << "usage: " << usage << "\n";
        return 2;
    }
    try {
        run(argv);
    } catch (const std::exception& error) {
        std::cerr << argv[1] << ": " << error.what() << "\n";
        return 1;
    }
    return 0;
}

inline std::string read_text_file(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(std::string("cannot read ") + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
