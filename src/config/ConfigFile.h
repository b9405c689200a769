// One access to "Velmora.xml": open, read or write by absolute element paths, save, close.
// The file on disk is the only shared settings state; an access keeps no document afterwards.
//
// Accesses are serialised process-wide (the update check runs on its own thread): the lock is
// taken by Open and held until the object is destroyed, so an Open..Save sequence of one thread
// never interleaves with another's and no update is lost.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace velmora {

class ConfigFile {
  public:
    // The program's own file, by its full path in the program's folder (ProgramFilePath).
    ConfigFile();
    // Another file, for tests and tools.
    explicit ConfigFile(std::wstring path);
    // Ends the access; unsaved changes are dropped.
    ~ConfigFile();

    ConfigFile(const ConfigFile&) = delete;
    ConfigFile& operator=(const ConfigFile&) = delete;

    // Loads the whole file. False when it is missing, unreadable, not well-formed, has no root
    // element, is larger than any settings file, or carries a document type declaration (the
    // file never needs one, and refusing it keeps entities out).
    bool Open();

    // The whole text of the first element matching the absolute path.
    bool ReadText(const std::wstring& path, std::wstring& out) const;
    // Replaces that element's text; false, nothing changed, when no element matches.
    bool WriteText(const std::wstring& path, const std::wstring& text);
    // The named attribute of the first matching element; false when either is missing.
    bool ReadAttribute(const std::wstring& path, const std::wstring& name, std::wstring& out) const;
    // Sets (adds or replaces) the attribute; false when the element is missing.
    bool WriteAttribute(const std::wstring& path, const std::wstring& name,
                        const std::wstring& text);
    // A new empty element as the last child of the first element matching parentPath; false
    // when the parent is missing. Callers decide when creating an element is allowed.
    bool AppendElement(const std::wstring& parentPath, const std::wstring& name);
    // True when an element matches the path.
    bool HasElement(const std::wstring& path) const;

    // Writes the document, as loaded and changed, back to the file: first into a new file
    // beside it, forced to the disk, then that file replaces the old one, so a failed save (or a
    // power cut) leaves the old content. A leftover of an interrupted save does not stop it.
    bool Save();

    // Integer and flag conveniences (encodings in ConfigValues.h). The missing-key rule holds:
    // when the key is missing, false is returned and `out` is left as it was.
    bool ReadInt(const std::wstring& path, int32_t& out) const;
    bool ReadIntAttribute(const std::wstring& path, const std::wstring& name, int32_t& out) const;
    bool ReadIntFlag(const std::wstring& path, bool& out) const;
    bool ReadTextFlag(const std::wstring& path, bool& out) const;
    bool WriteInt(const std::wstring& path, int32_t value);
    bool WriteIntAttribute(const std::wstring& path, const std::wstring& name, int32_t value);

    // Files larger than this are refused: the settings file is a few kilobytes.
    static constexpr size_t kMaxFileBytes = 4u << 20;

  private:
    struct Impl;
    // The tests take the byte scan away to show that the checks behind it hold on their own.
    friend struct ConfigFileTestAccess;

    // Open, with the scan of the raw bytes for a document type declaration optional.
    bool Load(bool scanBytes);

    std::wstring path_;
    std::unique_lock<std::recursive_mutex> lock_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
