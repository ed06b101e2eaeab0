/* Starts a program under test, answers its message boxes in order and
 * writes a transcript of what it saw: each box's title, text, buttons and
 * icon, the answer given, and the program's exit code. Every wait is
 * bounded; a box that never comes or a program that never ends is written
 * as such and the driver exits with code 2.
 *
 *   boxdriver <transcript> <timeout-ms> <answers> <command line...>
 *
 * answers: comma-separated button ids (6 Yes, 7 No, 1 OK), "-" for none.
 * With BOXDRIVER_SHOTS naming a directory, each box is also saved there as
 * box-<n>.bmp before it is answered.
 * When the script runs out, a further box is answered with OK, else No,
 * else Cancel, and marked unscripted.
 *
 * Before it answers a box, the driver waits (within the same time limit)
 * until every program that the program under test started has ended, as a
 * user reading the box gives them time to. Otherwise what those programs
 * leave open when the program under test goes on would depend on how fast
 * the machine happens to be. */
#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "wide_escape.h"

struct Find {
    DWORD process;
    HWND box;
};

static BOOL CALLBACK FindBox(HWND window, LPARAM data) {
    struct Find* find = (struct Find*)data;
    DWORD owner = 0;
    char cls[64];
    GetWindowThreadProcessId(window, &owner);
    if (owner != find->process || !IsWindowVisible(window)) return TRUE;
    if (!GetClassNameA(window, cls, sizeof cls) || strcmp(cls, "#32770") != 0) return TRUE;
    find->box = window;
    return FALSE;
}

struct Buttons {
    int ids[8];
    int count;
};

static BOOL CALLBACK CollectButton(HWND child, LPARAM data) {
    struct Buttons* buttons = (struct Buttons*)data;
    char cls[32];
    if (GetClassNameA(child, cls, sizeof cls) && _stricmp(cls, "Button") == 0 && buttons->count < 8)
        buttons->ids[buttons->count++] = GetDlgCtrlID(child);
    return TRUE;
}

static void WriteEscaped(FILE* out, const char* text) {
    for (; *text; ++text) {
        if (*text == '\n')
            fputs("\\n", out);
        else if (*text == '\r')
            fputs("\\r", out);
        else if (*text == '\\')
            fputs("\\\\", out);
        else
            fputc(*text, out);
    }
}

/* Icon handles are not shared between processes here, so the shown icon is
 * told by its pixels: the control's image is compared with each standard
 * icon drawn on the control's own background. */
static int ShowsIcon(HDC shown, COLORREF background, HICON candidate) {
    HDC screen = GetDC(NULL);
    HDC drawn = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ old = SelectObject(drawn, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, 32, 32};
    int x, y, same = 1;
    FillRect(drawn, &all, brush);
    DrawIconEx(drawn, 0, 0, candidate, 32, 32, 0, NULL, DI_NORMAL);
    for (y = 0; y < 32 && same; ++y)
        for (x = 0; x < 32 && same; ++x)
            if (GetPixel(drawn, x, y) != GetPixel(shown, x, y)) same = 0;
    DeleteObject(brush);
    SelectObject(drawn, old);
    DeleteObject(bitmap);
    DeleteDC(drawn);
    ReleaseDC(NULL, screen);
    return same;
}

static const char* IconName(HWND box) {
    /* Windows numbers the icon control 20, Wine 0x440. */
    static const struct { LPCSTR id; const char* name; } icons[] = {
        {IDI_QUESTION, "question"}, {IDI_EXCLAMATION, "warning"},
        {IDI_HAND, "error"}, {IDI_ASTERISK, "information"}};
    HWND icon = GetDlgItem(box, 0x0014);
    HDC screen, shown;
    HBITMAP bitmap;
    HGDIOBJ old;
    const char* name = "other";
    unsigned i;
    if (!icon) icon = GetDlgItem(box, 0x0440);
    if (!icon || !IsWindowVisible(icon)) return "none";
    screen = GetDC(NULL);
    shown = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, 32, 32);
    old = SelectObject(shown, bitmap);
    {
        POINT origin = {0, 0};
        ClientToScreen(icon, &origin);
        BitBlt(shown, 0, 0, 32, 32, screen, origin.x, origin.y, SRCCOPY);
    }
    for (i = 0; i < sizeof icons / sizeof icons[0]; ++i) {
        if (ShowsIcon(shown, GetPixel(shown, 0, 0), LoadIconA(NULL, icons[i].id))) {
            name = icons[i].name;
            break;
        }
    }
    SelectObject(shown, old);
    DeleteObject(bitmap);
    DeleteDC(shown);
    ReleaseDC(NULL, screen);
    return name;
}

/* Saves the box as it stands on the screen as a 24-bit bitmap file. */
static void SaveShot(HWND box, int number) {
    char dir[MAX_PATH], path[MAX_PATH + 32];
    RECT r;
    int width, height, stride;
    HDC screen, memory;
    HBITMAP bitmap;
    HGDIOBJ old;
    BITMAPINFOHEADER info;
    BITMAPFILEHEADER header;
    char* pixels;
    FILE* out;
    DWORD length = GetEnvironmentVariableA("BOXDRIVER_SHOTS", dir, sizeof dir);
    if (length == 0 || length >= sizeof dir || !GetWindowRect(box, &r)) return;
    width = r.right - r.left;
    height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return;
    stride = (width * 3 + 3) & ~3;
    screen = GetDC(NULL);
    memory = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, width, height);
    old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    memset(&info, 0, sizeof info);
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    pixels = (char*)malloc((size_t)stride * height);
    if (pixels && GetDIBits(memory, bitmap, 0, height, pixels, (BITMAPINFO*)&info, DIB_RGB_COLORS)) {
        sprintf(path, "%s\\box-%d.bmp", dir, number);
        out = fopen(path, "wb");
        if (out) {
            memset(&header, 0, sizeof header);
            header.bfType = 0x4D42;
            header.bfOffBits = sizeof header + sizeof info;
            header.bfSize = header.bfOffBits + (DWORD)stride * height;
            fwrite(&header, sizeof header, 1, out);
            fwrite(&info, sizeof info, 1, out);
            fwrite(pixels, (size_t)stride, (size_t)height, out);
            fclose(out);
        }
    }
    free(pixels);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
}

/* 1 when no running process names `parent` as the one that started it. */
static int ChildrenEnded(DWORD parent) {
    PROCESSENTRY32 entry;
    int ended = 1;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    entry.dwSize = sizeof entry;
    if (Process32First(snapshot, &entry)) {
        do {
            if (entry.th32ParentProcessID == parent && entry.th32ProcessID != parent) ended = 0;
        } while (ended && Process32Next(snapshot, &entry));
    }
    CloseHandle(snapshot);
    return ended;
}

static int HasButton(const struct Buttons* buttons, int id) {
    int i;
    for (i = 0; i < buttons->count; ++i)
        if (buttons->ids[i] == id) return 1;
    return 0;
}

/* With BOXDRIVER_UNICODE set, the program is started by its Unicode command
 * line, as Explorer starts a program: each %uXXXX of the command line
 * stands for that UTF-16 code unit (a name that the ANSI code page of the
 * test's locale cannot spell). */
static BOOL StartProgram(char* commandLine, STARTUPINFOA* startup, PROCESS_INFORMATION* process) {
    static WCHAR wide[2048];
    STARTUPINFOW startupWide;
    if (!getenv("BOXDRIVER_UNICODE")) return CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, startup, process);
    if (!DecodeEscapedWide(commandLine, wide, sizeof wide / sizeof wide[0])) return FALSE;
    memset(&startupWide, 0, sizeof startupWide);
    startupWide.cb = sizeof startupWide;
    return CreateProcessW(NULL, wide, NULL, NULL, FALSE, 0, NULL, NULL, &startupWide, process);
}

int main(int argc, char** argv) {
    const char* transcriptPath;
    DWORD timeout;
    char* answers;
    char* nextAnswer;
    char commandLine[2048] = "";
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    FILE* out;
    int i, failed = 0, boxes = 0, childrenRunning;
    DWORD start, exitCode = 0;

    if (argc < 5) {
        fprintf(stderr, "usage: boxdriver <transcript> <timeout-ms> <answers> <command line...>\n");
        return 2;
    }
    transcriptPath = argv[1];
    timeout = (DWORD)strtoul(argv[2], NULL, 10);
    answers = strcmp(argv[3], "-") == 0 ? (char*)"" : argv[3];
    for (i = 4; i < argc; ++i) {
        if (strlen(commandLine) + strlen(argv[i]) + 2 >= sizeof commandLine) return 2;
        if (i > 4) strcat(commandLine, " ");
        strcat(commandLine, argv[i]);
    }
    /* An empty last argument keeps a trailing blank in the command line. */
    out = fopen(transcriptPath, "wb");
    if (!out) return 2;

    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (!StartProgram(commandLine, &startup, &process)) {
        fprintf(out, "start failed %lu\n", GetLastError());
        fclose(out);
        return 2;
    }

    nextAnswer = answers;
    start = GetTickCount();
    childrenRunning = 0;
    for (;;) {
        struct Find find;
        struct Buttons buttons;
        char title[512], text[4096];
        HWND label;
        int answer;
        int scripted = 1;

        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
        if (GetTickCount() - start > timeout) {
            fprintf(out, childrenRunning ? "timeout: a started program did not end\n" : "timeout\n");
            TerminateProcess(process.hProcess, 99);
            failed = 1;
            break;
        }
        find.process = process.dwProcessId;
        find.box = NULL;
        EnumWindows(FindBox, (LPARAM)&find);
        if (!find.box) continue;
        childrenRunning = !ChildrenEnded(process.dwProcessId);
        if (childrenRunning) continue;
        Sleep(200); /* let the box finish drawing its controls */

        title[0] = text[0] = 0;
        GetWindowTextA(find.box, title, sizeof title);
        label = GetDlgItem(find.box, 0xFFFF);
        if (label) GetWindowTextA(label, text, sizeof text);
        buttons.count = 0;
        EnumChildWindows(find.box, CollectButton, (LPARAM)&buttons);

        if (*nextAnswer) {
            answer = atoi(nextAnswer);
            nextAnswer = strchr(nextAnswer, ',');
            nextAnswer = nextAnswer ? nextAnswer + 1 : (char*)"";
        } else {
            scripted = 0;
            answer = HasButton(&buttons, IDOK) ? IDOK : HasButton(&buttons, IDNO) ? IDNO : IDCANCEL;
        }

        fprintf(out, "box\ntitle: ");
        WriteEscaped(out, title);
        fprintf(out, "\ntext: ");
        WriteEscaped(out, text);
        fprintf(out, "\nbuttons:");
        for (i = 0; i < buttons.count; ++i) fprintf(out, " %d", buttons.ids[i]);
        fprintf(out, "\nicon: %s\nanswer: %d%s\n", IconName(find.box), answer, scripted ? "" : " unscripted");
        fflush(out);
        SaveShot(find.box, ++boxes);
        SendMessageA(find.box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        /* Wait (bounded) for the box to go before looking for the next. */
        for (i = 0; i < 50 && IsWindow(find.box); ++i) Sleep(100);
    }
    if (!failed) {
        GetExitCodeProcess(process.hProcess, &exitCode);
        fprintf(out, "exit: %ld\n", (long)exitCode);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    fclose(out);
    return failed ? 2 : 0;
}
