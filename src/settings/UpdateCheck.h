// The update check: the descriptor fetched from the maker's update server, its version against
// the installed one, and the offer to run the updater.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "settings/UpdateSchedule.h"

namespace velmora {

// In the program's folder, always named by their full path (a file dialog may have moved the
// current directory): the fetched descriptor and the updater.
inline constexpr wchar_t kUpdateDescriptorFile[] = L"VelmoraUpdate.xml";
inline constexpr wchar_t kUpdaterFile[] = L"VelmoraUpdate2.0.exe";
// Where the descriptor lives on the server, and the one value read from it.
inline constexpr wchar_t kUpdateDescriptorUrlPath[] = L"/updata/Velmora/VelmoraUpdate.xml";
inline constexpr wchar_t kPathDescriptorVersion[] = L"/VelmoraUpdate/Version";

inline constexpr wchar_t kUpdateMessageCaption[] = L"Velmora";
inline constexpr wchar_t kUpToDateText[] = L"The latest version is already\uFF01";
inline constexpr wchar_t kCheckFailedText[] = L"The new version failed to detect\uFF01";
inline constexpr wchar_t kNewerVersionText[] =
    L"A newer version of Velmora is available. Do you want to download it now?";
inline constexpr wchar_t kNewerVersionCaption[] = L"New version available";

// How long one download of the descriptor may take. The server must be reached (name look-up
// and connection, the request sent) within `connectMs`: a resolver that gets no answer gives
// up after 5 s and tries once more, and a server further away than that serves nobody. The
// whole download, a file of a few hundred bytes, must be done within `downloadMs`. Past
// either the check fails as an unreachable server does; the download is told to stop and
// nothing waits for it any longer.
struct UpdateDownloadLimits {
    DWORD connectMs = 10000;
    DWORD downloadMs = 20000;
};

// The folder the checks keep the descriptor in and start the updater from: the program's.
std::wstring UpdateFolder();

// The server compiled in.
std::wstring BuiltInUpdateServer();
// "UpdateServer" of the settings file when it is there and not empty, else the built-in one.
std::wstring ConfiguredUpdateServer();
// The descriptor's address on `server` ("http://host[:port]", trailing slashes dropped);
// empty when the server is not an http:// or https:// one.
std::wstring DescriptorUrl(const std::wstring& server);

// Fetches the descriptor from the configured server into kUpdateDescriptorFile of `folder`,
// always from the server (never a cached copy), on a thread of its own that the caller waits
// for within `limits` only. False when the server is refused, cannot be reached, answers
// other than 200, sends more than a settings file may hold or the limits pass; the descriptor
// already in `folder` is then left as it was.
bool DownloadUpdateDescriptor(const std::wstring& folder, const UpdateDownloadLimits& limits = {});

// "/VelmoraUpdate/Version" of the descriptor at `path`, loaded as hostile input (size limit,
// no document type, well-formed). False when it cannot be loaded or has no version.
bool ReadDescriptorVersion(const std::wstring& path, int32_t& version);

enum class UpdateCheckKind { kScheduled, kManual };
enum class UpdateOfferResult { kUpToDate, kDeclined, kUpdaterStarted };

// The last step of both checks. Not newer: the descriptor in `folder` is deleted (the manual
// check says so). Newer: asks, owned by `owner`; Yes starts the updater of `folder` (a failed
// start is not reported); No deletes the descriptor after the scheduled check only. Ending
// the program is the caller's: it differs between the two checks.
UpdateOfferResult OfferUpdate(int32_t localVersion, int32_t descriptorVersion, HWND owner,
                              UpdateCheckKind kind, const std::wstring& folder);

// "Check now"'s download on a thread of its own, so the user-interface thread goes on (timers,
// painting, the fan curve). When the download has ended or its limits have passed, `message`
// is posted to `window` with wParam 1 when the descriptor is in `folder`, 0 when not.
// Abandoning (or destroying the object: the page closes) never waits: the thread is left to
// end by itself and posts nothing.
class ManualUpdateDownload {
  public:
    ManualUpdateDownload() = default;
    ~ManualUpdateDownload() { Abandon(); }
    ManualUpdateDownload(const ManualUpdateDownload&) = delete;
    ManualUpdateDownload& operator=(const ManualUpdateDownload&) = delete;

    // False when the thread could not be started (nothing is posted then).
    bool Start(HWND window, UINT message, const std::wstring& folder,
               const UpdateDownloadLimits& limits = {});
    // From Start until its message is taken (Finished) or the download abandoned.
    bool Running() const { return job_ != nullptr; }
    // The message was taken.
    void Finished() { job_.reset(); }
    void Abandon();

  private:
    struct Job;
    static DWORD WINAPI Run(void* job);
    // Shared with the thread; whichever lets go last frees it.
    std::shared_ptr<Job> job_;
};

// The rest of "Check now" once the download has ended, on the user-interface thread, messages
// owned by `owner`: the installed version, the descriptor's, the offer. True when the user
// chose to update: the caller then ends the program.
bool FinishManualUpdateCheck(HWND owner, bool downloaded, const std::wstring& folder);

// The scheduled check on the calling thread, with `today` as the local date: downloads, then
// by the schedule in the settings file may ask (a message box owned by `mainWindow`) and on Yes
// posts WM_CLOSE to `mainWindow`. It touches no window otherwise.
void RunScheduledUpdateCheck(HWND mainWindow, const CalendarDay& today, const std::wstring& folder,
                             const UpdateDownloadLimits& limits = {});

// The check that runs once at every start, on a thread of its own: it touches no window and
// reaches the user only through message boxes owned by `mainWindow` and posted messages. It
// holds nothing the program's end waits for.
void StartScheduledUpdateCheck(HWND mainWindow);

// Today on the local clock.
CalendarDay LocalToday();

}  // namespace velmora
