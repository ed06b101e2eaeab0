// The ANSI code page of the simulated machine: 1252 (single-byte) or 932
// (double-byte, Japanese), whose trail bytes include 0x5C, the backslash's
// byte. Names are split, case-folded and compared by character, as the
// platform does, so that a trail byte is never a separator nor folded.
#include "sim_internal.h"

namespace {

UINT codePage = 1252;

}  // namespace

void SimSetCodePage(UINT page) { codePage = page == 932 ? 932 : 1252; }
UINT SimCodePage() { return codePage; }
void SimCodePageReset() { codePage = 1252; }

bool SimIsLeadByte(unsigned char byte) {
    return codePage == 932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

size_t SimCharacterLength(const std::string& text, size_t at) {
    return SimIsLeadByte((unsigned char)text[at]) && at + 1 < text.size() ? 2 : 1;
}

std::string SimUpper(const std::string& text) {
    std::string out = text;
    for (size_t at = 0; at < out.size(); at += SimCharacterLength(out, at))
        if (out[at] >= 'a' && out[at] <= 'z') out[at] = (char)(out[at] - 'a' + 'A');
    return out;
}

std::vector<std::string> SimSplitPath(const std::string& text) {
    std::vector<std::string> parts(1);
    for (size_t at = 0; at < text.size();) {
        size_t length = SimCharacterLength(text, at);
        if (length == 1 && (text[at] == '\\' || text[at] == '/'))
            parts.emplace_back();
        else
            parts.back() += text.substr(at, length);
        at += length;
    }
    return parts;
}

size_t SimLastSeparator(const std::string& text) {
    size_t last = std::string::npos;
    for (size_t at = 0; at < text.size(); at += SimCharacterLength(text, at))
        if (text[at] == '\\' || text[at] == '/') last = at;
    return last;
}

bool SimEndsWithSeparator(const std::string& text) {
    return !text.empty() && SimLastSeparator(text) == text.size() - 1;
}

extern "C" {

// Queries of the code page: they cannot fail, and are not counted.
BOOL WINAPI IsDBCSLeadByte(BYTE byte) { return SimIsLeadByte(byte); }
UINT WINAPI GetACP(void) { return codePage; }

}  // extern "C"
