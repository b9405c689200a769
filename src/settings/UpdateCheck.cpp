#include "settings/UpdateCheck.h"

#include <windows.h>
#include <shellapi.h>
#include <urlmon.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <memory>
#include <mutex>

#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"
#include "win32/ComSupport.h"
#include "win32/Handles.h"
#include "win32/ProgramFolder.h"

#ifndef VELMORA_UPDATE_SERVER
#define VELMORA_UPDATE_SERVER L"http://update.tessarin.example"
#endif

namespace velmora {
namespace {

constexpr DWORD kHttpOk = 200;

// The path of `name` in `folder`.
std::wstring FileIn(const std::wstring& folder, const wchar_t* name) {
    return folder + L"\\" + name;
}

// One download of the descriptor, shared by the thread that runs it and the one that waits for
// it; whichever lets go last frees it. The waiter may go before the download ends: the download
// is then told to stop and drops what it fetched.
struct DescriptorFetch {
    std::wstring url;
    // A file of its own beside the descriptor: a download left behind must never write over
    // the descriptor a later check reads.
    std::wstring partFile;
    KernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // Set by the waiter when it stops waiting; the download stops at its next report.
    std::atomic<bool> abandoned{false};
    // The request went out: the server was found and connected.
    std::atomic<bool> reached{false};

    // Written by the download before `done`, read by the waiter after it.
    HRESULT result = E_FAIL;
    bool tooLarge = false;
    DWORD responseCode = 0;  // 0 when no response was seen

    // Which of the two ends first; the other finds the flags set.
    std::mutex mutex;
    bool finished = false;
    bool left = false;
};

// Watches one synchronous download: asks for the server's copy every time, stops a body that
// grows past what a descriptor can be or a download nobody waits for any longer, and keeps the
// HTTP status. Lives on the download thread's stack for the length of the call, so its
// reference count is not what keeps it alive.
class FreshDownload final : public IBindStatusCallback, public IHttpNegotiate {
  public:
    explicit FreshDownload(DescriptorFetch& fetch) : fetch_(fetch) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
            *out = static_cast<IBindStatusCallback*>(this);
        } else if (IsEqualIID(iid, IID_IHttpNegotiate)) {
            *out = static_cast<IHttpNegotiate*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // IBindStatusCallback
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG, ULONG status, LPCWSTR) override {
        if (fetch_.abandoned) return E_ABORT;
        if (status == BINDSTATUS_SENDINGREQUEST || status == BINDSTATUS_BEGINDOWNLOADDATA ||
            status == BINDSTATUS_DOWNLOADINGDATA || status == BINDSTATUS_ENDDOWNLOADDATA) {
            fetch_.reached = true;
        }
        if (progress > ConfigFile::kMaxFileBytes) {
            fetch_.tooLarge = true;
            return E_ABORT;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO*) override {
        // A cached descriptor would hide a new version until the cache expired.
        if (flags) {
            *flags |= BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE |
                      BINDF_RESYNCHRONIZE;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
        return fetch_.abandoned ? E_ABORT : S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    // IHttpNegotiate
    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                   LPWSTR* additional) override {
        if (additional) *additional = nullptr;
        return fetch_.abandoned ? E_ABORT : S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR, LPCWSTR,
                                         LPWSTR* additional) override {
        if (additional) *additional = nullptr;
        fetch_.reached = true;
        fetch_.responseCode = code;
        return fetch_.abandoned ? E_ABORT : S_OK;
    }

  private:
    DescriptorFetch& fetch_;
};

DWORD WINAPI FetchThread(void* param) {
    std::unique_ptr<std::shared_ptr<DescriptorFetch>> owner(
        static_cast<std::shared_ptr<DescriptorFetch>*>(param));
    DescriptorFetch& fetch = **owner;
    {
        ComThreadInit com;
        // A copy left in the cache by an earlier check must not stand in for the server's
        // answer.
        DeleteUrlCacheEntryW(fetch.url.c_str());
        FreshDownload watch(fetch);
        fetch.result =
            URLDownloadToFileW(nullptr, fetch.url.c_str(), fetch.partFile.c_str(), 0, &watch);
    }
    bool left = false;
    {
        std::lock_guard<std::mutex> lock(fetch.mutex);
        fetch.finished = true;
        left = fetch.left;
    }
    if (left) {
        DeleteFileW(fetch.partFile.c_str());
    } else {
        SetEvent(fetch.done.Get());
    }
    return 0;
}

// Waits for the download until it ends or a limit passes. False when it was left behind.
bool WaitForFetch(DescriptorFetch& fetch, const UpdateDownloadLimits& limits) {
    const ULONGLONG start = GetTickCount64();
    HANDLE done = fetch.done.Get();
    DWORD waited = WaitForSingleObject(done, std::min(limits.connectMs, limits.downloadMs));
    if (waited == WAIT_TIMEOUT && fetch.reached && limits.downloadMs > limits.connectMs) {
        const ULONGLONG spent = GetTickCount64() - start;
        const DWORD rest =
            spent < limits.downloadMs ? static_cast<DWORD>(limits.downloadMs - spent) : 0;
        waited = WaitForSingleObject(done, rest);
    }
    if (waited == WAIT_OBJECT_0) return true;
    std::lock_guard<std::mutex> lock(fetch.mutex);
    // It may have ended just now; then its result is as good as any.
    if (fetch.finished) return true;
    fetch.left = true;
    fetch.abandoned = true;
    return false;
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    const size_t n = std::wcslen(prefix);
    return text.size() >= n && _wcsnicmp(text.c_str(), prefix, n) == 0;
}

// Starts the updater by its full path: a bare name would let the shell's search find another
// program of that name first.
void StartUpdater(const std::wstring& folder) {
    if (folder.empty()) return;
    const std::wstring path = FileIn(folder, kUpdaterFile);
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

// The date keys a mode reads; a missing key stays empty.
ScheduleKeys ReadScheduleKeys(const ConfigFile& cfg, int32_t mode) {
    const ScheduleKeysUsed used = KeysUsedBy(mode);
    ScheduleKeys keys;
    int32_t value = 0;
    if (used.day && cfg.ReadInt(kPathUpadteDay, value)) keys.day = value;
    if (used.week && cfg.ReadInt(kPathUpdateWeek, value)) keys.week = value;
    if (used.month && cfg.ReadInt(kPathUpadteMonth, value)) keys.month = value;
    return keys;
}

// True when something was written (a key whose element is missing is skipped).
bool WriteScheduleKeys(ConfigFile& cfg, const ScheduleKeys& keys) {
    bool wrote = false;
    if (keys.day) wrote = cfg.WriteInt(kPathUpadteDay, *keys.day) || wrote;
    if (keys.week) wrote = cfg.WriteInt(kPathUpdateWeek, *keys.week) || wrote;
    if (keys.month) wrote = cfg.WriteInt(kPathUpadteMonth, *keys.month) || wrote;
    return wrote;
}

DWORD WINAPI ScheduledCheckThread(void* mainWindow) {
    // For the whole thread: the settings file and the shell's start of the updater use COM.
    ComThreadInit com;
    RunScheduledUpdateCheck(static_cast<HWND>(mainWindow), LocalToday(), UpdateFolder());
    return 0;
}

}  // namespace

std::wstring UpdateFolder() {
    return ProgramFilesFolder();
}

std::wstring BuiltInUpdateServer() {
    return VELMORA_UPDATE_SERVER;
}

std::wstring ConfiguredUpdateServer() {
    ConfigFile cfg;
    std::wstring server;
    if (cfg.Open() && cfg.ReadText(kPathUpdateServer, server) && !server.empty()) return server;
    return BuiltInUpdateServer();
}

std::wstring DescriptorUrl(const std::wstring& server) {
    size_t schemeLength = 0;
    if (StartsWithNoCase(server, L"http://")) {
        schemeLength = 7;
    } else if (StartsWithNoCase(server, L"https://")) {
        schemeLength = 8;
    } else {
        return L"";
    }
    std::wstring host = server;
    while (host.size() > schemeLength && host.back() == L'/') host.pop_back();
    if (host.size() == schemeLength) return L"";
    for (const wchar_t c : host) {
        // Blanks and control characters have no place in a server name; a query or fragment
        // would swallow the path behind it.
        if (c <= L' ' || c == 0x7F || c == L'?' || c == L'#') return L"";
    }
    return host + kUpdateDescriptorUrlPath;
}

bool DownloadUpdateDescriptor(const std::wstring& folder, const UpdateDownloadLimits& limits) {
    const std::wstring url = DescriptorUrl(ConfiguredUpdateServer());
    if (url.empty() || folder.empty()) return false;
    wchar_t part[MAX_PATH] = {};
    if (!GetTempFileNameW(folder.c_str(), L"vud", 0, part)) return false;
    auto fetch = std::make_shared<DescriptorFetch>();
    fetch->url = url;
    fetch->partFile = part;
    auto* param = new std::shared_ptr<DescriptorFetch>(fetch);
    KernelHandle thread;
    if (fetch->done.Get()) *thread.Out() = CreateThread(nullptr, 0, FetchThread, param, 0, nullptr);
    if (!thread.Get()) {
        delete param;
        DeleteFileW(part);
        return false;
    }
    // Not waited for beyond the limits: a server that never answers keeps only that thread.
    if (!WaitForFetch(*fetch, limits)) return false;
    if (fetch->result != S_OK || fetch->tooLarge ||
        (fetch->responseCode != 0 && fetch->responseCode != kHttpOk)) {
        // Whatever was written is not the server's descriptor.
        DeleteFileW(part);
        return false;
    }
    const std::wstring descriptor = FileIn(folder, kUpdateDescriptorFile);
    if (!MoveFileExW(part, descriptor.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(part);
        return false;
    }
    return true;
}

bool ReadDescriptorVersion(const std::wstring& path, int32_t& version) {
    ConfigFile descriptor(path);
    return descriptor.Open() && descriptor.ReadInt(kPathDescriptorVersion, version);
}

UpdateOfferResult OfferUpdate(int32_t localVersion, int32_t descriptorVersion, HWND owner,
                              UpdateCheckKind kind, const std::wstring& folder) {
    const std::wstring descriptor = FileIn(folder, kUpdateDescriptorFile);
    if (descriptorVersion <= localVersion) {
        DeleteFileW(descriptor.c_str());
        if (kind == UpdateCheckKind::kManual) {
            MessageBoxW(owner, kUpToDateText, kUpdateMessageCaption, MB_OK);
        }
        return UpdateOfferResult::kUpToDate;
    }
    // The program is closing: nobody is there to answer.
    if (kind == UpdateCheckKind::kScheduled && !IsWindow(owner)) {
        return UpdateOfferResult::kDeclined;
    }
    if (MessageBoxW(owner, kNewerVersionText, kNewerVersionCaption, MB_YESNO) == IDYES) {
        StartUpdater(folder);
        return UpdateOfferResult::kUpdaterStarted;
    }
    if (kind == UpdateCheckKind::kScheduled) DeleteFileW(descriptor.c_str());
    return UpdateOfferResult::kDeclined;
}

struct ManualUpdateDownload::Job {
    HWND window = nullptr;
    UINT message = 0;
    std::wstring folder;
    UpdateDownloadLimits limits;
    std::mutex mutex;
    bool abandoned = false;
};

DWORD WINAPI ManualUpdateDownload::Run(void* param) {
    std::unique_ptr<std::shared_ptr<Job>> owner(static_cast<std::shared_ptr<Job>*>(param));
    Job& job = **owner;
    // The settings file names the server.
    ComThreadInit com;
    const bool downloaded = DownloadUpdateDescriptor(job.folder, job.limits);
    std::lock_guard<std::mutex> lock(job.mutex);
    if (!job.abandoned) PostMessageW(job.window, job.message, downloaded ? 1 : 0, 0);
    return 0;
}

bool ManualUpdateDownload::Start(HWND window, UINT message, const std::wstring& folder,
                                 const UpdateDownloadLimits& limits) {
    Abandon();
    auto job = std::make_shared<Job>();
    job->window = window;
    job->message = message;
    job->folder = folder;
    job->limits = limits;
    auto* param = new std::shared_ptr<Job>(job);
    KernelHandle thread(CreateThread(nullptr, 0, Run, param, 0, nullptr));
    if (!thread.Get()) {
        delete param;
        return false;
    }
    job_ = std::move(job);
    return true;
}

void ManualUpdateDownload::Abandon() {
    if (!job_) return;
    {
        std::lock_guard<std::mutex> lock(job_->mutex);
        job_->abandoned = true;
    }
    job_.reset();
}

bool FinishManualUpdateCheck(HWND owner, bool downloaded, const std::wstring& folder) {
    if (!downloaded) {
        MessageBoxW(owner, kCheckFailedText, kUpdateMessageCaption, MB_OK);
        return false;
    }
    int32_t localVersion = 0;
    bool haveLocal = false;
    {
        // Closed before any message: the lock it holds would stall the scheduled check.
        ConfigFile cfg;
        if (!cfg.Open()) return false;
        haveLocal = cfg.ReadInt(kPathVersion, localVersion);
    }
    int32_t descriptorVersion = 0;
    if (!haveLocal ||
        !ReadDescriptorVersion(FileIn(folder, kUpdateDescriptorFile), descriptorVersion)) {
        MessageBoxW(owner, kCheckFailedText, kUpdateMessageCaption, MB_OK);
        return false;
    }
    return OfferUpdate(localVersion, descriptorVersion, owner, UpdateCheckKind::kManual, folder) ==
           UpdateOfferResult::kUpdaterStarted;
}

void RunScheduledUpdateCheck(HWND mainWindow, const CalendarDay& today, const std::wstring& folder,
                             const UpdateDownloadLimits& limits) {
    // The download happens whatever the schedule: "never" still leaves a fresh descriptor.
    if (!DownloadUpdateDescriptor(folder, limits)) return;
    int32_t mode = 0;
    int32_t localVersion = 0;
    {
        ConfigFile cfg;
        if (!cfg.Open()) return;
        cfg.ReadInt(kPathUpadteCheck, mode);
        if (!ScheduleChecksVersions(mode) || !cfg.ReadInt(kPathVersion, localVersion)) return;
    }
    int32_t descriptorVersion = 0;
    if (!ReadDescriptorVersion(FileIn(folder, kUpdateDescriptorFile), descriptorVersion)) return;
    {
        // Read, decide and store in one access: a save of the settings window meanwhile
        // cannot slip in between. Closed before the question is asked.
        ConfigFile cfg;
        if (!cfg.Open()) return;
        const ScheduleDecision decision =
            DecideScheduledCheck(mode, ReadScheduleKeys(cfg, mode), today);
        if (!decision.offer) return;
        if (WriteScheduleKeys(cfg, decision.store)) cfg.Save();
    }
    if (OfferUpdate(localVersion, descriptorVersion, mainWindow, UpdateCheckKind::kScheduled,
                    folder) == UpdateOfferResult::kUpdaterStarted) {
        // The ordinary close: the fans are handed back on the way out.
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    }
}

void StartScheduledUpdateCheck(HWND mainWindow) {
    // Not kept: the thread ends by itself, or with the process.
    KernelHandle thread(CreateThread(nullptr, 0, ScheduledCheckThread, mainWindow, 0, nullptr));
}

CalendarDay LocalToday() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return CalendarDay{now.wYear, now.wMonth, now.wDay, now.wDayOfWeek + 1};
}

}  // namespace velmora
