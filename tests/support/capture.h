// Runs a piece of code and returns what it wrote to standard output
// (the toolkit's error lines, the scroller's echo).
#pragma once

#include <gtest/gtest.h>

#include <string>

template <typename F>
std::string captured_stdout(F&& f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

inline int count_lines(const std::string& text, const std::string& line) {
    int count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + line.size())) {
        ++count;
    }
    return count;
}
