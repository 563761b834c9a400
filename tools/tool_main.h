// The common entry of the data tools: checks the number of arguments, runs
// the tool, and turns a failure into a message and exit status 1.
#pragma once

#include <exception>
#include <iostream>

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
