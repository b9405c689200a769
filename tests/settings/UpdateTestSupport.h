// What the update and General page tests share: a small HTTP server on 127.0.0.1 whose answers
// the test sets, a folder of its own as the current directory (the program's folder for the
// code under test), and a stand-in user who answers message boxes.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "win32/ProgramFolder.h"

namespace velmora::testing {

inline std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

inline bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string ReadFileText(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFileText(const std::wstring& path, const std::string& text) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out << text;
}

// True when the folder and everything in it are gone.
inline bool RemoveFolder(const std::wstring& path) {
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(path), error);
    return !FileExists(path);
}

// A socket listening on 127.0.0.1 at a port the system picks, its address in `at`;
// INVALID_SOCKET when it cannot be had.
inline SOCKET ListenOnLoopback(int backlog, sockaddr_in& at) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    at = sockaddr_in{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof at;
    if (listener == INVALID_SOCKET ||
        bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
        listen(listener, backlog) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&at), &len) != 0) {
        if (listener != INVALID_SOCKET) closesocket(listener);
        return INVALID_SOCKET;
    }
    return listener;
}

// Answers one HTTP request per connection, in order from the list set (the last one again for
// any further request), with headers that invite a cache to keep the answer for an hour.
class TinyHttpServer {
  public:
    struct Answer {
        int status = 200;
        std::string body;
    };

    TinyHttpServer() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        sockaddr_in at{};
        listener_ = ListenOnLoopback(8, at);
        if (listener_ == INVALID_SOCKET) return;
        port_ = ntohs(at.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~TinyHttpServer() {
        closesocket(listener_);
        if (thread_.joinable()) thread_.join();
        if (started_) WSACleanup();
    }

    int Port() const { return port_; }
    std::wstring Url() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }
    void SetAnswers(std::vector<Answer> answers) {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_ = std::move(answers);
    }
    std::vector<std::string> Requests() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

  private:
    void Serve() {
        for (;;) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            std::string request;
            char buffer[2048];
            while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
                const int got = recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) break;
                request.append(buffer, got);
            }
            Answer answer;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(request.substr(0, request.find("\r\n")));
                if (!answers_.empty()) {
                    answer = answers_[std::min(requests_.size(), answers_.size()) - 1];
                }
            }
            std::string reply = "HTTP/1.1 " + std::to_string(answer.status) + " X\r\n" +
                                "Content-Type: text/xml\r\nCache-Control: max-age=3600\r\n" +
                                "Expires: Thu, 01 Jan 2099 00:00:00 GMT\r\n" +
                                "Last-Modified: Mon, 01 Jan 2001 00:00:00 GMT\r\n" +
                                "Content-Length: " + std::to_string(answer.body.size()) +
                                "\r\nConnection: close\r\n\r\n" + answer.body;
            size_t sent = 0;
            while (sent < reply.size()) {
                const int put =
                    send(client, reply.data() + sent,
                         static_cast<int>(std::min<size_t>(reply.size() - sent, 65536)), 0);
                if (put <= 0) break;
                sent += static_cast<size_t>(put);
            }
            shutdown(client, SD_SEND);
            closesocket(client);
        }
    }

    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<Answer> answers_;
    std::vector<std::string> requests_;
};

// A server on 127.0.0.1 that never finishes an answer: it takes each connection and says
// nothing (kSilent), sends a whole reply one byte every half second (kDrip), or takes no
// connection at all, its queue kept full so a connect waits (kNeverAccepts). It lets go of
// everything when destroyed, and by itself after `lifetimeMs`.
class StallingServer {
  public:
    enum class Kind { kSilent, kDrip, kNeverAccepts };

    StallingServer(Kind kind, DWORD lifetimeMs) : kind_(kind) {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        sockaddr_in at{};
        listener_ = ListenOnLoopback(kind == Kind::kNeverAccepts ? 1 : 8, at);
        if (listener_ == INVALID_SOCKET) return;
        port_ = ntohs(at.sin_port);
        if (kind == Kind::kNeverAccepts) FillQueue(at);
        thread_ = std::thread([this, lifetimeMs] { Serve(lifetimeMs); });
    }
    ~StallingServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        for (SOCKET s : fillers_) closesocket(s);
        closesocket(listener_);
        if (started_) WSACleanup();
    }

    std::wstring Url() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }
    int Port() const { return port_; }
    // Connections taken so far (none for kNeverAccepts).
    int Connections() const { return connections_; }

  private:
    // Connections of our own until one is left waiting: the queue is full from then on.
    void FillQueue(sockaddr_in at) {
        for (int i = 0; i < 16; ++i) {
            SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            u_long nonBlocking = 1;
            ioctlsocket(s, FIONBIO, &nonBlocking);
            connect(s, reinterpret_cast<sockaddr*>(&at), sizeof at);
            fillers_.push_back(s);
            fd_set writable;
            FD_ZERO(&writable);
            FD_SET(s, &writable);
            timeval wait{0, 300000};
            if (select(0, nullptr, &writable, nullptr, &wait) == 0) return;
        }
    }

    void Serve(DWORD lifetimeMs) {
        const std::string body = "<VelmoraUpdate><Version>301</Version></VelmoraUpdate>";
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                                  std::to_string(body.size()) + "\r\n\r\n" + body;
        std::vector<std::pair<SOCKET, size_t>> clients;  // and the bytes sent to each
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(lifetimeMs);
        auto nextByte = std::chrono::steady_clock::now();
        while (!stop_ && std::chrono::steady_clock::now() < end) {
            if (kind_ != Kind::kNeverAccepts) {
                fd_set readable;
                FD_ZERO(&readable);
                FD_SET(listener_, &readable);
                timeval wait{0, 100000};
                if (select(0, &readable, nullptr, nullptr, &wait) > 0) {
                    SOCKET client = accept(listener_, nullptr, nullptr);
                    if (client != INVALID_SOCKET) {
                        clients.push_back({client, 0});
                        ++connections_;
                    }
                }
            } else {
                Sleep(100);
            }
            if (kind_ == Kind::kDrip && std::chrono::steady_clock::now() >= nextByte) {
                nextByte += std::chrono::milliseconds(500);
                for (auto& [client, sent] : clients) {
                    if (sent < reply.size() && send(client, &reply[sent], 1, 0) == 1) ++sent;
                }
            }
        }
        for (auto& client : clients) closesocket(client.first);
    }

    Kind kind_;
    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::vector<SOCKET> fillers_;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

// A fresh folder as the current directory and the program's folder for one test; the previous
// ones come back after.
class TempCurrentFolder {
  public:
    TempCurrentFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        path_ = std::wstring(temp) + L"velmora-update-" + std::to_wstring(GetCurrentProcessId()) +
                L"-" + std::to_wstring(++counter);
        CreateDirectoryW(path_.c_str(), nullptr);
        wchar_t previous[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, previous);
        previous_ = previous;
        SetCurrentDirectoryW(path_.c_str());
        previousProgramFiles_ = SetProgramFilesFolder(path_);
    }
    ~TempCurrentFolder() {
        SetProgramFilesFolder(previousProgramFiles_);
        SetCurrentDirectoryW(previous_.c_str());
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((path_ + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(h, &found));
            FindClose(h);
        }
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& Path() const { return path_; }

  private:
    std::wstring path_;
    std::wstring previous_;
    std::wstring previousProgramFiles_;
};

// Waits on its own thread for the message boxes with the given captions, one after another,
// records each box's caption and text and answers it with the given button.
class BoxAnswerer {
  public:
    struct Box {
        std::wstring caption;
        std::wstring text;
    };

    BoxAnswerer(std::vector<std::pair<std::wstring, int>> plan) : plan_(std::move(plan)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~BoxAnswerer() { Stop(); }
    // Stops waiting for boxes not seen yet (the code under test has returned).
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::vector<Box> Seen() {
        Stop();
        return seen_;
    }

  private:
    // A dialog-class window of this process with that caption: other programs in the same
    // prefix (another test's Velmora main window is a "Velmora" dialog too) are not ours.
    static HWND FindOwnBox(const std::wstring& caption) {
        struct Search {
            const std::wstring* caption;
            HWND found;
        } search{&caption, nullptr};
        EnumWindows(
            [](HWND w, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                wchar_t cls[16] = {};
                wchar_t title[256] = {};
                GetClassNameW(w, cls, 16);
                GetWindowTextW(w, title, 256);
                if (pid != GetCurrentProcessId() || std::wstring(cls) != L"#32770" ||
                    *s->caption != title) {
                    return TRUE;
                }
                s->found = w;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    void Run() {
        for (const auto& [caption, button] : plan_) {
            HWND box = nullptr;
            for (int i = 0; i < 400 && !box && !stop_; ++i) {
                box = FindOwnBox(caption);
                if (!box) Sleep(50);
            }
            if (!box) return;
            wchar_t text[1024] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 1024);
            seen_.push_back(Box{caption, text});
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(50);
        }
    }

    std::vector<std::pair<std::wstring, int>> plan_;
    std::vector<Box> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A plain top-level window standing in for the main window (or the settings window): it keeps
// the WM_CLOSE and WM_COMMAND messages it receives and is never a dialog, so a search for a
// message box by caption cannot find it.
class RecordingWindow {
  public:
    RecordingWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmoraUpdateTestOwner";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"update test owner", WS_OVERLAPPEDWINDOW, 0,
                                0, 500, 700, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~RecordingWindow() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
    HWND Hwnd() const { return hwnd_; }
    int Closes() const { return closes_; }
    const std::vector<WPARAM>& Commands() const { return commands_; }
    // Messages from WM_APP up that reached the window, and their wParam.
    const std::vector<std::pair<UINT, WPARAM>>& AppMessages() const { return appMessages_; }
    void ClearAppMessages() { appMessages_.clear(); }

    // Runs the messages of this thread until `done` holds or `timeoutMs` passes.
    static bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        while (!done()) {
            if (GetTickCount64() >= end) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpPending();
        }
        return true;
    }

    // Runs the messages of this thread until `thread` ends or `timeoutMs` passes; posted
    // messages still queued afterwards are delivered too.
    static bool PumpUntil(HANDLE thread, DWORD timeoutMs) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        bool ended = false;
        while (!ended && GetTickCount64() < end) {
            const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT);
            if (r == WAIT_OBJECT_0) ended = true;
            PumpPending();
        }
        return ended;
    }
    static void PumpPending() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg == WM_CLOSE) {
            ++self->closes_;
            return 0;
        }
        if (self && msg == WM_COMMAND) {
            self->commands_.push_back(wParam);
            return 0;
        }
        if (self && msg >= WM_APP && msg <= 0xBFFF) {
            self->appMessages_.push_back({msg, wParam});
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
    int closes_ = 0;
    std::vector<WPARAM> commands_;
    std::vector<std::pair<UINT, WPARAM>> appMessages_;
};

}  // namespace velmora::testing
