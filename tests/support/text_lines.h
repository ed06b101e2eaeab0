// Test helper: a text cut into its lines, for checks on rewritten files.
#ifndef TESTS_SUPPORT_TEXT_LINES_H
#define TESTS_SUPPORT_TEXT_LINES_H

#include <string>
#include <vector>

// The lines of text, each with its line feed (the last one may have none).
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

#endif
