// Unicode on the simulated machine. The simulation keeps names and values
// in a byte form: a character of the ANSI code page as its bytes, any
// other (Cyrillic, say) as its UTF-8 sequence. Its Unicode is made for the
// simulation, not the platform's tables: a single byte is its own code
// point, a double-byte character of code page 932 is lead * 256 + trail,
// and every code point from 0x100 that is not such a pair has no spelling
// in the ANSI code page; the ANSI calls spell it '?', as the platform does.
#include "sim_internal.h"

#include <string.h>

namespace {

// A UTF-8 sequence at text[at] for a code point from 0x100: its length and
// code point; 0 when there is none.
size_t Utf8At(const std::string& text, size_t at, unsigned* point) {
    unsigned char lead = (unsigned char)text[at];
    size_t length = lead >= 0xC4 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : 0;
    if (!length || at + length > text.size()) return 0;
    unsigned value = lead & (length == 2 ? 0x1F : 0x0F);
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = (unsigned char)text[at + i];
        if ((next & 0xC0) != 0x80) return 0;
        value = value << 6 | (next & 0x3F);
    }
    if (value < 0x100) return 0;
    *point = value;
    return length;
}

bool Spellable(WCHAR point) {
    if (SimCodePage() != 932) return point < 0x100;
    if (point < 0x80 || (point >= 0xA1 && point <= 0xDF)) return true;
    return point >= 0x100 && SimIsLeadByte((unsigned char)(point >> 8)) && (point & 0xFF) >= 0x40;
}

void AppendAnsi(std::string* out, WCHAR point) {
    if (point >= 0x100) *out += (char)(point >> 8);
    *out += (char)(point & 0xFF);
}

void AppendUtf8(std::string* out, WCHAR point) {
    if (point < 0x800) {
        *out += (char)(0xC0 | point >> 6);
    } else {
        *out += (char)(0xE0 | point >> 12);
        *out += (char)(0x80 | ((point >> 6) & 0x3F));
    }
    *out += (char)(0x80 | (point & 0x3F));
}

size_t WideLength(LPCWSTR text) {
    size_t length = 0;
    while (text[length]) ++length;
    return length;
}

}  // namespace

std::vector<WCHAR> SimWideOfByteForm(const std::string& text) {
    std::vector<WCHAR> wide;
    for (size_t at = 0; at < text.size();) {
        unsigned point;
        size_t length = SimCharacterLength(text, at);
        if (length == 2) {
            wide.push_back((WCHAR)((unsigned char)text[at] << 8 | (unsigned char)text[at + 1]));
        } else if (size_t utf8 = Utf8At(text, at, &point)) {
            wide.push_back((WCHAR)point);
            length = utf8;
        } else {
            wide.push_back((unsigned char)text[at]);
        }
        at += length;
    }
    return wide;
}

std::string SimByteFormOfWide(const std::vector<WCHAR>& wide) {
    std::string out;
    for (WCHAR point : wide) Spellable(point) ? AppendAnsi(&out, point) : AppendUtf8(&out, point);
    return out;
}

std::string SimAnsiOfWide(const std::vector<WCHAR>& wide, bool* usedDefault) {
    std::string out;
    for (WCHAR point : wide) {
        if (Spellable(point)) {
            AppendAnsi(&out, point);
        } else {
            out += '?';
            if (usedDefault) *usedDefault = true;
        }
    }
    return out;
}

std::string SimAnsiOfByteForm(const std::string& text) { return SimAnsiOfWide(SimWideOfByteForm(text), nullptr); }

std::vector<WCHAR> SimWideOfAnsi(const std::string& text) {
    std::vector<WCHAR> wide;
    for (size_t at = 0; at < text.size(); at += SimCharacterLength(text, at))
        wide.push_back(SimCharacterLength(text, at) == 2
                           ? (WCHAR)((unsigned char)text[at] << 8 | (unsigned char)text[at + 1])
                           : (WCHAR)(unsigned char)text[at]);
    return wide;
}

DWORD SimCopyOutWide(const std::vector<WCHAR>& text, LPWSTR buffer, DWORD size) {
    if (text.size() + 1 > size) return (DWORD)text.size() + 1;
    if (!text.empty()) memcpy(buffer, text.data(), text.size() * sizeof(WCHAR));
    buffer[text.size()] = 0;
    return (DWORD)text.size();
}

extern "C" {

// Conversions of whole strings (length -1) or of length units, into out of
// size units; size 0 asks for the size needed.
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR out, int size,
                               LPCSTR, LPBOOL usedDefault) {
    if (SimFailHere("WideCharToMultiByte")) {
        if (size > 0) SimSpoil(out, (size_t)size);
        if (usedDefault) SimSpoil(usedDefault, sizeof *usedDefault);
        return 0;
    }
    if (codePage != CP_ACP || flags != 0 || !wide || size < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = wideLength < 0 ? WideLength(wide) + 1 : (size_t)wideLength;
    bool defaulted = false;
    std::string text = SimAnsiOfWide(std::vector<WCHAR>(wide, wide + length), &defaulted);
    if (usedDefault) *usedDefault = defaulted;
    if (size == 0) return (int)text.size();
    if (text.size() > (size_t)size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (!text.empty()) memcpy(out, text.data(), text.size());
    return (int)text.size();
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR out, int size) {
    if (SimFailHere("MultiByteToWideChar")) {
        if (size > 0) SimSpoil(out, (size_t)size * sizeof(WCHAR));
        return 0;
    }
    if (codePage != CP_ACP || flags != 0 || !text || size < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string ansi = length < 0 ? std::string(text, strlen(text) + 1) : std::string(text, (size_t)length);
    std::vector<WCHAR> wide = SimWideOfAnsi(ansi);
    if (size == 0) return (int)wide.size();
    if (wide.size() > (size_t)size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (!wide.empty()) memcpy(out, wide.data(), wide.size() * sizeof(WCHAR));
    return (int)wide.size();
}

DWORD WINAPI GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size) {
    std::string path = longPath ? SimByteFormOfWide(std::vector<WCHAR>(longPath, longPath + WideLength(longPath))) : "";
    if (SimFailHere("GetShortPathNameW", path)) {
        SimSpoil(shortPath, size * sizeof(WCHAR));
        return 0;
    }
    if (!SimExists(path.c_str())) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    return SimCopyOutWide(SimWideOfByteForm(SimShortFormOf(path)), shortPath, size);
}

}  // extern "C"
