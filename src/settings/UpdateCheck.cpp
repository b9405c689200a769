#include "settings/UpdateCheck.h"

#include <windows.h>
#include <shellapi.h>
#include <urlmon.h>
#include <wininet.h>

#include <cwchar>

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

// Watches one synchronous download: asks for the server's copy every time, stops a body that
// grows past what a descriptor can be, and keeps the HTTP status. Lives on the caller's stack
// for the length of the call, so its reference count is not what keeps it alive.
class FreshDownload final : public IBindStatusCallback, public IHttpNegotiate {
  public:
    bool TooLarge() const { return tooLarge_; }
    // 0 when no response was seen through this object.
    DWORD ResponseCode() const { return responseCode_; }

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
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG, ULONG, LPCWSTR) override {
        if (progress > ConfigFile::kMaxFileBytes) {
            tooLarge_ = true;
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
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    // IHttpNegotiate
    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                   LPWSTR* additional) override {
        if (additional) *additional = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR, LPCWSTR,
                                         LPWSTR* additional) override {
        if (additional) *additional = nullptr;
        responseCode_ = code;
        return S_OK;
    }

  private:
    bool tooLarge_ = false;
    DWORD responseCode_ = 0;
};

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    const size_t n = std::wcslen(prefix);
    return text.size() >= n && _wcsnicmp(text.c_str(), prefix, n) == 0;
}

// Starts the updater beside the program by its full path: a bare name would let the shell's
// search find another program of that name first.
void StartUpdater() {
    const std::wstring folder = ProgramFolder();
    if (folder.empty()) return;
    const std::wstring path = folder + L"\\" + kUpdaterFile;
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
    // For the whole thread: the download and the shell's start of the updater both use COM.
    ComThreadInit com;
    RunScheduledUpdateCheck(static_cast<HWND>(mainWindow), LocalToday());
    return 0;
}

}  // namespace

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

bool DownloadUpdateDescriptor() {
    const std::wstring url = DescriptorUrl(ConfiguredUpdateServer());
    if (url.empty()) return false;
    ComThreadInit com;
    // A copy left in the cache by an earlier check must not stand in for the server's answer.
    DeleteUrlCacheEntryW(url.c_str());
    FreshDownload watch;
    const HRESULT hr = URLDownloadToFileW(nullptr, url.c_str(), kUpdateDescriptorFile, 0, &watch);
    if (hr != S_OK) return false;
    if (watch.TooLarge() || (watch.ResponseCode() != 0 && watch.ResponseCode() != kHttpOk)) {
        // Whatever was written is not the server's descriptor.
        DeleteFileW(kUpdateDescriptorFile);
        return false;
    }
    return true;
}

bool ReadDescriptorVersion(const std::wstring& path, int32_t& version) {
    ConfigFile descriptor(path);
    return descriptor.Open() && descriptor.ReadInt(kPathDescriptorVersion, version);
}

UpdateOfferResult OfferUpdate(int32_t localVersion, int32_t descriptorVersion, HWND owner,
                              UpdateCheckKind kind) {
    if (descriptorVersion <= localVersion) {
        DeleteFileW(kUpdateDescriptorFile);
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
        StartUpdater();
        return UpdateOfferResult::kUpdaterStarted;
    }
    if (kind == UpdateCheckKind::kScheduled) DeleteFileW(kUpdateDescriptorFile);
    return UpdateOfferResult::kDeclined;
}

bool RunManualUpdateCheck(HWND owner) {
    if (!DownloadUpdateDescriptor()) {
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
    if (!haveLocal || !ReadDescriptorVersion(kUpdateDescriptorFile, descriptorVersion)) {
        MessageBoxW(owner, kCheckFailedText, kUpdateMessageCaption, MB_OK);
        return false;
    }
    return OfferUpdate(localVersion, descriptorVersion, owner, UpdateCheckKind::kManual) ==
           UpdateOfferResult::kUpdaterStarted;
}

void RunScheduledUpdateCheck(HWND mainWindow, const CalendarDay& today) {
    // The download happens whatever the schedule: "never" still leaves a fresh descriptor.
    if (!DownloadUpdateDescriptor()) return;
    int32_t mode = 0;
    int32_t localVersion = 0;
    {
        ConfigFile cfg;
        if (!cfg.Open()) return;
        cfg.ReadInt(kPathUpadteCheck, mode);
        if (!ScheduleChecksVersions(mode) || !cfg.ReadInt(kPathVersion, localVersion)) return;
    }
    int32_t descriptorVersion = 0;
    if (!ReadDescriptorVersion(kUpdateDescriptorFile, descriptorVersion)) return;
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
    if (OfferUpdate(localVersion, descriptorVersion, mainWindow, UpdateCheckKind::kScheduled) ==
        UpdateOfferResult::kUpdaterStarted) {
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
