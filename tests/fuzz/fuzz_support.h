// What every fuzz target shares: reading structured values out of the
// fuzzer's bytes, a fresh simulated machine per input, and a check that
// reports the broken property and aborts (the fuzzer keeps the input).
#ifndef TESTS_FUZZ_FUZZ_SUPPORT_H
#define TESTS_FUZZ_FUZZ_SUPPORT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Reads the input front to back; an exhausted input reads as zeros, so that
// every prefix of an input is an input too.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size), at_(0) {}

    bool Empty() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    bool Flag() { return Byte() & 1; }
    // A number in [0, bound); one byte when bound <= 256, else two.
    size_t Below(size_t bound);
    // Up to count bytes (fewer when the input runs out), any values.
    std::string Bytes(size_t count);
    // A length in [0, maxLength] and that many bytes.
    std::string Text(size_t maxLength);
    // The bytes not read yet.
    std::string Rest();

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_;
};

// The text up to its first zero byte: what a C string holds.
std::string AsCString(const std::string& bytes);
std::string UpperAscii(const std::string& text);

// The code page of the input at hand (1252 or 932), set on the simulated
// machine by FuzzCodePage and kept by FreshMachine. The model of it here is
// the fuzz targets' own: a character is a 932 lead byte (0x81-0x9F,
// 0xE0-0xFC) with the byte after it, or one byte.
void FuzzCodePage(unsigned codePage);
// Where each character of text begins, in the current code page.
std::vector<size_t> CharacterStarts(const std::string& text);
// Whether a character of its own, a backslash, stands at text[at].
bool IsBackslashCharacter(const std::string& text, size_t at);
// The last such backslash (npos: none).
size_t LastBackslashCharacter(const std::string& text);
// The bytes, printable, for a report.
std::string Printable(const std::string& bytes, size_t limit = 600);

// SimReset under a directory of this process's own (removed at exit).
void FreshMachine();

// Reports a broken property with where it was checked and aborts.
[[noreturn]] void FuzzFailure(const char* file, int line, const char* condition, const std::string& detail);

#define FUZZ_CHECK(condition, detail)                                              \
    do {                                                                           \
        if (!(condition)) FuzzFailure(__FILE__, __LINE__, #condition, (detail));   \
    } while (0)

#endif
