// zorkprobe: reads and drives the windows of other processes (under Wine, in the same prefix).
//   zorkprobe [--desktop NAME] serve PORT   connects to 127.0.0.1:PORT and answers one command per line
//   zorkprobe window TITLE                  shows a window of its own, not activated, until closed: another
//                                           program's window
// --desktop reads the windows of a named desktop (wine explorer /desktop=NAME,...) instead of the default one.
// Commands:
//   state IMAGE                      top-level windows of the processes whose exe is IMAGE, with children
//   idle HWND                        whether the window answers messages and has nothing left to paint
//   close HWND                       posts WM_CLOSE
//   click HWND                       BM_CLICK, sent
//   press HWND                       WM_COMMAND with BN_CLICKED (STN_CLICKED for a label) from the control,
//                                    posted to its parent: a click that needs no activation
//   capture HWND                     the window's pixels as the system draws them (under Wine without a
//                                    desktop its client area): width, height and the rows top first, in
//                                    hex, three bytes (blue, green, red) a pixel
//   copy HWND [MS]                   selects the whole text of an edit box and sends it WM_COPY; with MS, holds
//                                    the clipboard that long while the copy waits, as a clipboard manager would
//   clipboard                        the clipboard's formats by name, its text, and the DWORD value of each
//                                    registered format of four bytes
//   clear-clipboard                  empties the clipboard
//   hold-clipboard / release-clipboard  keeps the clipboard open, as a busy program would, until released
//   dpi-changed HWND DPI             WM_DPICHANGED as Windows sends it when the window moves to a monitor of
//                                    that DPI, sent, with no suggested rectangle: the window stays where it is
//   load-library PID NAME            LoadLibraryW(NAME) on a new thread of the process: whether it loaded
#include <cstdio>
#include <cwchar>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/window/probe.h"
#include "win32/Handles.h"

// Windows 8.1 and later; the headers give it only to programs that require that Windows.
#ifndef PW_RENDERFULLCONTENT
#define PW_RENDERFULLCONTENT 0x00000002
#endif

std::string Utf8(const std::wstring& w)
{
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring Wide(const std::string& s)
{
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

std::string Json(const std::wstring& w)
{
    std::string out = "\"";
    for (unsigned char c : Utf8(w)) {
        if (c == '"' || c == '\\') out += '\\';
        if (c >= 0x20) {
            out += char(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        }
    }
    return out + "\"";
}

std::string Json(bool b) { return b ? "true" : "false"; }
std::string Json(long long n) { return std::to_string(n); }
std::string Json(HWND h) { return std::to_string(reinterpret_cast<uintptr_t>(h)); }
std::string Json(const RECT& r)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
    return buf;
}

std::string Error(const char* what) { return Obj()("error", Json(Wide(what))).str(); }
std::string Ok(bool ok) { return Obj()("ok", Json(ok)).str(); }

HWND ToHwnd(const std::string& s) { return reinterpret_cast<HWND>(uintptr_t(std::stoull(s))); }

std::wstring ClassOf(HWND h)
{
    wchar_t buf[256];
    int n = GetClassNameW(h, buf, 256);
    return std::wstring(buf, n > 0 ? n : 0);
}

// A message sent to another process's window, given up when it does not answer within timeoutMs.
bool Send(HWND h, UINT msg, WPARAM w, LPARAM l, DWORD_PTR* result = nullptr, UINT timeoutMs = kTimeoutMs)
{
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(h, msg, w, l, SMTO_ABORTIFHUNG, timeoutMs, &r)) return false;
    if (result) *result = r;
    return true;
}

bool Responds(HWND h) { return Send(h, WM_NULL, 0, 0); }

// WM_GETTEXT is marshalled across processes; a password can be 32767 characters long.
bool TextOf(HWND h, std::wstring& text)
{
    static wchar_t buf[70000];
    DWORD_PTR n = 0;
    if (!Send(h, WM_GETTEXT, 70000, reinterpret_cast<LPARAM>(buf), &n)) return false;
    text.assign(buf, n);
    return true;
}

std::wstring ImageOf(DWORD pid)
{
    static std::map<DWORD, std::wstring> cache;
    auto it = cache.find(pid);
    if (it != cache.end()) return it->second;
    std::wstring name;
    if (HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
        wchar_t buf[MAX_PATH * 4];
        DWORD n = MAX_PATH * 4;
        if (QueryFullProcessImageNameW(p, 0, buf, &n)) {
            name.assign(buf, n);
            name.erase(0, name.find_last_of(L"\\/") + 1);  // the folders (npos + 1 is 0: none)
        }
        CloseHandle(p);
    }
    return cache[pid] = name;
}

BOOL CALLBACK AddWindow(HWND h, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
    return TRUE;
}

std::vector<HWND> TopLevels()
{
    std::vector<HWND> all;
    EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> TopLevelsOf(const std::wstring& image)
{
    std::vector<HWND> found;
    for (HWND h : TopLevels()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (_wcsicmp(ImageOf(pid).c_str(), image.c_str()) == 0) found.push_back(h);
    }
    return found;
}

bool NeedsPaint(HWND h)
{
    if (GetUpdateRect(h, nullptr, FALSE)) return true;
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (NeedsPaint(c)) return true;
    return false;
}

bool Idle(HWND h) { return IsWindow(h) && Responds(h) && !NeedsPaint(h); }

std::string ChildJson(HWND c, bool responds)
{
    RECT r{};
    GetWindowRect(c, &r);
    std::wstring cls = ClassOf(c), text;
    bool hasText = responds && TextOf(c, text);
    DWORD_PTR check = 0;
    if (responds && _wcsicmp(cls.c_str(), L"Button") == 0) Send(c, BM_GETCHECK, 0, 0, &check);
    return Obj()("hwnd", Json(c))("id", Json((long long)GetDlgCtrlID(c)))("class", Json(cls))(
               "text", hasText ? Json(text) : "null")("check", Json((long long)check))(
               "enabled", Json(IsWindowEnabled(c) != 0))("visible", Json(IsWindowVisible(c) != 0))("rect", Json(r))(
               "style", Json((long long)(DWORD)GetWindowLongW(c, GWL_STYLE)))(
               "exstyle", Json((long long)(DWORD)GetWindowLongW(c, GWL_EXSTYLE)))
        .str();
}

std::string WindowJson(HWND h)
{
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(h, &pid);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(tid, &gui);
    bool responds = Responds(h);
    RECT r{}, client{};
    GetWindowRect(h, &r);
    GetClientRect(h, &client);
    wchar_t title[1024];
    int n = GetWindowTextW(h, title, 1024);
    // The X11 driver keeps the X window of a top-level window in this property.
    auto xid = reinterpret_cast<uintptr_t>(GetPropW(h, L"__wine_x11_whole_window"));
    std::string children;
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        children += (children.empty() ? "" : ",") + ChildJson(c, responds);
    return Obj()("hwnd", Json(h))("pid", Json((long long)pid))("class", Json(ClassOf(h)))(
               "title", Json(std::wstring(title, n > 0 ? n : 0)))("visible", Json(IsWindowVisible(h) != 0))(
               "enabled", Json(IsWindowEnabled(h) != 0))("rect", Json(r))("client", Json(client))(
               "owner", Json(GetWindow(h, GW_OWNER)))("xid", Json((long long)xid))("focus", Json(gui.hwndFocus))(
               "foreground", Json(GetForegroundWindow() == h))("children", "[" + children + "]")
        .str();
}

// A clipboard listener opens the clipboard after each change; it is tried for about a second.
bool OpenClipboardSoon()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(10);
    }
    return false;
}

std::string ClipboardJson()
{
    if (!OpenClipboardSoon()) return Error("clipboard busy");
    std::string formats = "[", values = "{", text = "null";
    for (UINT format = 0; (format = EnumClipboardFormats(format)) != 0;) {
        wchar_t name[256] = L"";
        if (!GetClipboardFormatNameW(format, name, 256)) std::swprintf(name, 256, L"#%u", format);
        formats += (formats.size() > 1 ? "," : "") + Json(std::wstring(name));
        HANDLE data = GetClipboardData(format);
        const void* bytes = data ? GlobalLock(data) : nullptr;
        if (!bytes) continue;
        if (format == CF_UNICODETEXT) text = Json(std::wstring(static_cast<const wchar_t*>(bytes)));
        if (format >= 0xC000 && GlobalSize(data) == sizeof(DWORD))
            values += (values.size() > 1 ? "," : "") + Json(std::wstring(name)) + ":" +
                      Json((long long)*static_cast<const DWORD*>(bytes));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return Obj()("formats", formats + "]")("text", text)("values", values + "}").str();
}

// PrintWindow renders the whole window, frame included, even where other windows cover it;
// PW_RENDERFULLCONTENT, which only the headers document, asks for it as the desktop composes it
// (where it is refused, the window draws itself through WM_PRINT). Wine cannot render another
// process's window into this process's DC: there the window is copied from the screen, and
// without a window manager, where it draws no frame (no Wine desktop), only its client area.
bool onWineDesktop = false;

std::string Capture(HWND h, bool underWine)
{
    if (!IsWindow(h)) return Error("no such window");
    RECT r{};
    if (underWine && !onWineDesktop) {
        GetClientRect(h, &r);
        MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&r), 2);
    } else {
        GetWindowRect(h, &r);
    }
    int width = r.right - r.left, height = r.bottom - r.top;
    WindowDC screen(nullptr);
    UniqueHandle<HDC, DeleteDC> memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top row first
    void* bits = nullptr;
    UniqueHandle<HBITMAP, DeleteObject> dib(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib.get()) return Error("no bitmap");
    SelectedObject selected(memory.get(), dib.get());
    bool drawn = underWine ? BitBlt(memory.get(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY)
                           : PrintWindow(h, memory.get(), PW_RENDERFULLCONTENT) || PrintWindow(h, memory.get(), 0);
    if (!drawn) return Error("the window could not be captured");
    GdiFlush();
    static const char digits[] = "0123456789abcdef";
    std::string pixels;
    pixels.reserve(size_t(width) * height * 6);
    const auto* bgra = static_cast<const unsigned char*>(bits);
    for (size_t i = 0; i < size_t(width) * height * 4; ++i) {
        if (i % 4 == 3) continue;  // the fourth byte is unused
        pixels += digits[bgra[i] >> 4];
        pixels += digits[bgra[i] & 15];
    }
    return Obj()("width", Json((long long)width))("height", Json((long long)height))("pixels", "\"" + pixels + "\"")
        .str();
}

// Runs LoadLibraryW in the other process, as a component of it loading a DLL by that name would.
std::string LoadLibraryIn(DWORD pid, const std::wstring& name)
{
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!process) return Error("no such process");
    size_t size = (name.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    DWORD loaded = 0;
    if (remote && WriteProcessMemory(process, remote, name.c_str(), size, nullptr)) {
        // kernel32 lies at the same address in every process of the prefix.
        auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
        if (HANDLE thread = CreateRemoteThread(process, nullptr, 0, start, remote, 0, nullptr)) {
            WaitForSingleObject(thread, 10000);
            GetExitCodeThread(thread, &loaded);  // the module's address, 0 when it did not load
            CloseHandle(thread);
        }
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return Obj()("loaded", Json(loaded != 0)).str();
}

std::string Run(const std::vector<std::string>& args, MoreCommands more)
{
    try {
        const std::string& cmd = args.at(0);
        if (cmd == "state") {
            std::string windows;
            for (HWND h : TopLevelsOf(Wide(args.at(1)))) windows += (windows.empty() ? "" : ",") + WindowJson(h);
            return Obj()("windows", "[" + windows + "]").str();
        }
        if (cmd == "idle") return Obj()("idle", Json(Idle(ToHwnd(args.at(1))))).str();
        if (cmd == "close") return Ok(PostMessageW(ToHwnd(args.at(1)), WM_CLOSE, 0, 0));
        if (cmd == "click") return Ok(Send(ToHwnd(args.at(1)), BM_CLICK, 0, 0, nullptr, 60000));
        if (cmd == "press") {
            HWND control = ToHwnd(args.at(1));
            WPARAM command = MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED);
            return Ok(PostMessageW(GetParent(control), WM_COMMAND, command, LPARAM(control)));
        }
        if (cmd == "capture")
            return Capture(ToHwnd(args.at(1)), GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"));
        if (cmd == "dpi-changed") {
            WPARAM dpi = std::stoul(args.at(2));
            return Ok(Send(ToHwnd(args.at(1)), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0));
        }
        if (cmd == "copy") {
            HWND box = ToHwnd(args.at(1));
            DWORD held = args.size() > 2 ? DWORD(std::stoul(args[2])) : 0;
            bool ok = Send(box, EM_SETSEL, 0, -1);
            if (held) {
                // The copy is posted, so that it meets the clipboard held and waits for it.
                ok = ok && OpenClipboardSoon() && PostMessageW(box, WM_COPY, 0, 0);
                Sleep(held);
                CloseClipboard();
            } else {
                ok = ok && Send(box, WM_COPY, 0, 0);
            }
            return Ok(ok);
        }
        if (cmd == "clipboard") return ClipboardJson();
        if (cmd == "clear-clipboard") {
            if (!OpenClipboardSoon()) return Error("clipboard busy");
            bool ok = EmptyClipboard();
            CloseClipboard();
            return Ok(ok);
        }
        if (cmd == "hold-clipboard") return Ok(OpenClipboardSoon());
        if (cmd == "release-clipboard") return Ok(CloseClipboard());
        if (cmd == "load-library") return LoadLibraryIn(DWORD(std::stoul(args.at(1))), Wide(args.at(2)));
        if (more) return more(args);
        return Error("unknown command");
    } catch (const std::exception&) {
        return Error("bad arguments");
    }
}

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; std::getline(in, word, '\t');) words.push_back(word);
    return words;
}

// One command per line, its words separated by tabs (paths may hold spaces); one JSON line back.
int Serve(int port, MoreCommands more)
{
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa)) return 1;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(u_short(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s == INVALID_SOCKET || connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr)) return 1;
    std::string pending;
    char buf[4096];
    for (;;) {
        size_t nl;
        while ((nl = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line == "quit") return 0;
            std::string answer = Run(Split(line), more) + "\n";
            for (size_t sent = 0; sent < answer.size();) {
                int n = send(s, answer.data() + sent, int(answer.size() - sent), 0);
                if (n <= 0) return 1;
                sent += size_t(n);
            }
        }
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0) return 0;
        pending.append(buf, size_t(n));
    }
}

int ProbeMain(int argc, wchar_t** argv, MoreCommands more)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(Utf8(argv[i]));
    if (args.size() > 2 && args[0] == "--desktop") {
        // Window enumeration only sees the calling thread's desktop.
        HDESK desk = OpenDesktopW(Wide(args[1]).c_str(), 0, FALSE, GENERIC_ALL);
        if (!desk || !SetThreadDesktop(desk)) return 2;
        args.erase(args.begin(), args.begin() + 2);
        onWineDesktop = true;
    }
    if (args.empty()) return 2;
    if (args[0] == "window" && args.size() > 1) {
        HWND h = CreateWindowExW(0, L"STATIC", Wide(args[1]).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 320, 200, nullptr, nullptr, nullptr, nullptr);
        ShowWindow(h, SW_SHOWNOACTIVATE);
        MSG msg;
        while (IsWindow(h) && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        return h ? 0 : 1;
    }
    return args[0] == "serve" && args.size() > 1 ? Serve(std::stoi(args[1]), more) : 2;
}
