#include "uninstall.h"

static int IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* CommandLineTail(const char* commandLine) {
    const char* p = commandLine ? commandLine : "";
    while (IsBlank(*p)) ++p;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && !IsBlank(*p)) ++p;
    }
    while (IsBlank(*p)) ++p;
    return p;
}
