// updater.exe: stand-in for the companion updater. It shows the window the
// client looks for, records how it was started in updater.log beside itself,
// and waits for the client to exit. It never downloads or replaces anything.
//
// Command line: -auto -v=<version> -pid=<client pid> -p=<path> [--hidden]
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kClassName[] = "ZephalUpdater";
const char kTitle[] = "Zephal Acc Updater";
const char kMessage[] = "正在准备更新 Lumora Zephal…";

struct Options {
    bool autoMode = false;
    bool hidden = false;
    std::string version;
    std::string pid;
    std::string path;
};

std::string g_logPath;

// updater.log in the directory of this executable.
std::string LogPathBesideExe() {
    char exe[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    if (n == 0 || n >= sizeof exe) return "updater.log";
    std::string dir(exe, n);
    size_t slash = dir.find_last_of("\\/");
    dir = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
    return dir + "updater.log";
}

// Opens, appends and closes each time, so readers see every line at once.
void LogLine(const std::string& text) {
    HANDLE f = CreateFileA(g_logPath.c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    std::string line = text + "\r\n";
    DWORD written = 0;
    WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(f);
}

bool HasPrefix(const char* s, const char* prefix) {
    return _strnicmp(s, prefix, std::strlen(prefix)) == 0;
}

// The client passes the values unquoted, so a path with blanks arrives as
// several arguments: words not starting with '-' continue the last value.
Options ParseOptions(int argc, char** argv) {
    Options o;
    std::string* last = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (a[0] != '-') {
            if (last) *last += std::string(" ") + a;
            continue;
        }
        last = nullptr;
        if (_stricmp(a, "-auto") == 0) {
            o.autoMode = true;
        } else if (_stricmp(a, "--hidden") == 0) {
            o.hidden = true;
        } else if (HasPrefix(a, "-v=")) {
            o.version = a + 3;
            last = &o.version;
        } else if (HasPrefix(a, "-pid=")) {
            o.pid = a + 5;
            last = &o.pid;
        } else if (HasPrefix(a, "-p=")) {
            o.path = a + 3;
            last = &o.path;
        }
    }
    return o;
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        HWND text = CreateWindowA("STATIC", kMessage, WS_CHILD | WS_VISIBLE | SS_CENTER,
                                  10, (rc.bottom - 20) / 2, rc.right - 20, 20, hwnd,
                                  reinterpret_cast<HMENU>(100), nullptr, nullptr);
        SendMessageA(text, WM_SETFONT,
                     reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        return 0;
    }
    case WM_DESTROY:
        LogLine("closed");
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// Message loop that also notices the client's exit without blocking.
int Run(HANDLE client) {
    for (;;) {
        DWORD count = client ? 1 : 0;
        DWORD r = MsgWaitForMultipleObjects(count, &client, FALSE, INFINITE, QS_ALLINPUT);
        if (count && r == WAIT_OBJECT_0) {
            LogLine("client exited");
            CloseHandle(client);
            client = nullptr;
            continue;
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                if (client) CloseHandle(client);
                return static_cast<int>(msg.wParam);
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// The command line after the program's own name, exactly as the starter gave it.
std::string Arguments() {
    const char* line = GetCommandLineA();
    if (*line == '"') {
        const char* close = std::strchr(line + 1, '"');
        line = close ? close + 1 : line + std::strlen(line);
    } else {
        while (*line && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    g_logPath = LogPathBesideExe();
    Options o = ParseOptions(argc, argv);
    LogLine("arguments " + Arguments());
    LogLine("started auto=" + std::string(o.autoMode ? "1" : "0") + " v=" + o.version +
            " pid=" + o.pid + " p=" + o.path);

    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) return 1;

    const int width = 320, height = 120;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND hwnd = CreateWindowA(kClassName, kTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                              x, y, width, height, nullptr, nullptr, inst, nullptr);
    if (!hwnd) return 1;
    if (!o.hidden) {
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
    }

    // A client that cannot be opened has already gone.
    HANDLE client = nullptr;
    if (!o.pid.empty()) {
        DWORD pid = std::strtoul(o.pid.c_str(), nullptr, 10);
        client = pid ? OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr;
        if (!client) LogLine("client exited");
    }
    return Run(client);
}
