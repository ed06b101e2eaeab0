#include "fuzz_support.h"

#include "sim.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

size_t FuzzInput::Below(size_t bound) {
    if (bound <= 1) return 0;
    size_t value = Byte();
    if (bound > 256) value = value << 8 | Byte();
    return value % bound;
}

std::string FuzzInput::Bytes(size_t count) {
    size_t available = at_ < size_ ? size_ - at_ : 0;
    if (count > available) count = available;
    std::string bytes((const char*)data_ + at_, count);
    at_ += count;
    return bytes;
}

std::string FuzzInput::Text(size_t maxLength) { return Bytes(Below(maxLength + 1)); }

std::string FuzzInput::Rest() { return Bytes(size_ - (at_ < size_ ? at_ : size_)); }

std::string AsCString(const std::string& bytes) { return std::string(bytes.c_str()); }

static unsigned fuzzCodePage = 1252;

void FuzzCodePage(unsigned codePage) {
    fuzzCodePage = codePage;
    SimSetCodePage(codePage);
}

std::vector<size_t> CharacterStarts(const std::string& text) {
    std::vector<size_t> starts;
    for (size_t at = 0; at < text.size();) {
        starts.push_back(at);
        unsigned char byte = (unsigned char)text[at];
        bool lead = fuzzCodePage == 932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
        at += lead && at + 1 < text.size() ? 2 : 1;
    }
    return starts;
}

bool IsBackslashCharacter(const std::string& text, size_t at) {
    if (at >= text.size() || text[at] != '\\') return false;
    for (size_t start : CharacterStarts(text))
        if (start == at) return true;
    return false;
}

size_t LastBackslashCharacter(const std::string& text) {
    size_t last = std::string::npos;
    for (size_t start : CharacterStarts(text))
        if (text[start] == '\\') last = start;
    return last;
}

// Letters of single-byte characters only: a trail byte is no letter.
std::string UpperAscii(const std::string& text) {
    std::string out = text;
    for (size_t at : CharacterStarts(text))
        if (out[at] >= 'a' && out[at] <= 'z') out[at] = (char)(out[at] - 'a' + 'A');
    return out;
}

std::string Printable(const std::string& bytes, size_t limit) {
    std::string out = "\"";
    for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
        unsigned char c = (unsigned char)bytes[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (c >= 0x20 && c < 0x7F && c != '"') {
            out += (char)c;
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    out += bytes.size() > limit ? "\"..." : "\"";
    return out + " (" + std::to_string(bytes.size()) + " bytes)";
}

namespace {

std::string drivesRoot;

void RemoveDrives() {
    std::error_code ignored;
    std::filesystem::remove_all(drivesRoot, ignored);
}

}  // namespace

void FreshMachine() {
    if (drivesRoot.empty()) {
        const char* base = getenv("TMPDIR");
        drivesRoot = std::string(base && *base ? base : "/tmp") + "/vantrell-fuzz-" + std::to_string(getpid());
        atexit(RemoveDrives);
    }
    SimReset(drivesRoot);
    SimSetCodePage(fuzzCodePage);
}

void FuzzFailure(const char* file, int line, const char* condition, const std::string& detail) {
    fprintf(stderr, "\n%s:%d: property broken: %s\n  %s\n", file, line, condition, detail.c_str());
    fflush(stderr);
    RemoveDrives();  // abort runs no exit handlers
    abort();
}
