#include "config/ConfigFile.h"

#include <windows.h>
#include <msxml2.h>

#include <cstring>
#include <vector>

#include "config/ConfigPaths.h"
#include "config/ConfigValues.h"
#include "win32/ComSupport.h"
#include "win32/Handles.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

// MSXML 3 identities (the import libraries carry none of them).
constexpr CLSID kClsidDomDocument30 = {
    0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
constexpr IID kIidDomDocument2 = {
    0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
constexpr IID kIidDomElement = {
    0x2933bf86, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

std::recursive_mutex& AccessMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

bool ReadWholeFile(const std::wstring& path, std::vector<unsigned char>& bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 ||
        static_cast<unsigned long long>(size.QuadPart) > ConfigFile::kMaxFileBytes) {
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
        got != bytes.size()) {
        return false;
    }
    return true;
}

// A document type declaration is the only way into entities (external files, expansion
// bombs), and the settings file never has one: refuse it before the parser sees it, whatever
// the parser's own settings honour. Zero bytes are dropped first so UTF-16 and UTF-32 spellings
// are caught too; the match is case-blind to be safe against lenient parsers.
bool DeclaresDocumentType(const std::vector<unsigned char>& bytes) {
    static constexpr char kMarker[] = "<!doctype";
    constexpr size_t kLen = sizeof(kMarker) - 1;
    size_t matched = 0;
    for (unsigned char c : bytes) {
        if (c == 0) continue;
        const char lower = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
        if (lower == kMarker[matched]) {
            if (++matched == kLen) return true;
        } else {
            matched = (lower == kMarker[0]) ? 1 : 0;
        }
    }
    return false;
}

bool SetBoolProperty(IXMLDOMDocument2* doc, const wchar_t* name, bool value) {
    Bstr n{std::wstring(name)};
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return SUCCEEDED(doc->setProperty(n.Get(), v));
}

// The document as the bytes a save to a path would write (its own encoding and declaration),
// so the file itself can be written and flushed here. A result Open would refuse is not kept.
bool SerialiseDocument(IXMLDOMDocument2* doc, std::vector<unsigned char>& bytes) {
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put())) || !stream) return false;
    {
        Variant target;
        target.Ptr()->vt = VT_UNKNOWN;
        target.Ptr()->punkVal = stream.Get();
        stream->AddRef();  // the variant releases its own reference
        if (doc->save(target.Ref()) != S_OK) return false;
    }
    LARGE_INTEGER zero{};
    ULARGE_INTEGER end{};
    if (FAILED(stream->Seek(zero, STREAM_SEEK_CUR, &end)) || end.QuadPart == 0 ||
        end.QuadPart > ConfigFile::kMaxFileBytes ||
        FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr))) {
        return false;
    }
    bytes.resize(static_cast<size_t>(end.QuadPart));
    ULONG got = 0;
    return stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got) == S_OK &&
           got == bytes.size();
}

// A leftover of an interrupted save goes first, whatever its attributes: a read-only one would
// otherwise make every later save fail. False when something there cannot be removed (a
// folder, a file another program holds open); nothing there is fine.
bool RemoveLeftover(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // creating the new file tells
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    if ((attributes & FILE_ATTRIBUTE_READONLY) &&
        !SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        return false;
    }
    return DeleteFileW(path.c_str()) != FALSE;
}

// Writes a file that must not exist yet and forces it to the disk before it is closed, so the
// rename that follows can never publish an empty or partial file after a power cut. On any
// failure the file is removed again; a file that was there before is never touched.
bool WriteNewFileDurably(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    DWORD put = 0;
    bool written =
        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
        put == bytes.size() && FlushFileBuffers(file.Get());
    written = file.Close() && written;
    if (!written) DeleteFileW(path.c_str());
    return written;
}

}  // namespace

struct ConfigFile::Impl {
    ComThreadInit com;  // declared first: released last
    ComPtr<IXMLDOMDocument2> doc;

    bool SelectElement(const std::wstring& path, ComPtr<IXMLDOMElement>& element) const {
        if (!doc) return false;
        Bstr query(path);
        ComPtr<IXMLDOMNode> node;
        if (doc->selectSingleNode(query.Get(), node.Put()) != S_OK || !node) return false;
        return SUCCEEDED(node->QueryInterface(kIidDomElement, element.PutVoid())) && element;
    }
};

ConfigFile::ConfigFile() : ConfigFile(ProgramFilePath(kConfigFileName)) {}

ConfigFile::ConfigFile(std::wstring path)
    : path_(std::move(path)), lock_(AccessMutex(), std::defer_lock) {}

ConfigFile::~ConfigFile() {
    impl_.reset();  // the document goes before COM is uninitialised, then the lock is released
}

bool ConfigFile::Open() {
    return Load(true);
}

bool ConfigFile::Load(bool scanBytes) {
    if (!lock_.owns_lock()) lock_.lock();
    impl_.reset();
    auto impl = std::make_unique<Impl>();
    if (!impl->com.Usable()) return false;

    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path_, bytes) || (scanBytes && DeclaresDocumentType(bytes))) return false;

    if (FAILED(CoCreateInstance(kClsidDomDocument30, nullptr, CLSCTX_INPROC_SERVER,
                                kIidDomDocument2, impl->doc.PutVoid())) ||
        !impl->doc) {
        return false;
    }
    IXMLDOMDocument2* doc = impl->doc.Get();
    doc->put_async(VARIANT_FALSE);
    doc->put_validateOnParse(VARIANT_FALSE);
    if (doc->put_resolveExternals(VARIANT_FALSE) != S_OK) return false;
    // Keep the file's layout: unknown content goes back exactly as it came.
    doc->put_preserveWhiteSpace(VARIANT_TRUE);
    // The parser is told to refuse DTDs too, and a parser that will not be told is not used.
    // Wine's msxml3 accepts the property but still parses DTDs; there the byte scan above and
    // the document type check after loading are what keep them out.
    if (!SetBoolProperty(doc, L"ProhibitDTD", true)) return false;
    {
        Bstr name(L"SelectionLanguage");
        Variant language;
        language.Ptr()->vt = VT_BSTR;
        language.Ptr()->bstrVal = SysAllocString(L"XPath");
        doc->setProperty(name.Get(), language.Ref());
    }

    // Parse the bytes that were checked, not the file again.
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) return false;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) {
        SafeArrayDestroy(array);
        return false;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
    Variant source;  // owns the array from here
    source.Ptr()->vt = VT_ARRAY | VT_UI1;
    source.Ptr()->parray = array;

    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (doc->load(source.Ref(), &loaded) != S_OK || loaded != VARIANT_TRUE) return false;
    // Whatever got past the scan and the parser's settings (an encoding the scan cannot read, a
    // parser that ignores ProhibitDTD), a loaded document with a document type is refused, and
    // so is one whose answer cannot be had.
    ComPtr<IXMLDOMDocumentType> doctype;
    if (FAILED(doc->get_doctype(doctype.Put())) || doctype) return false;
    ComPtr<IXMLDOMElement> root;
    if (doc->get_documentElement(root.Put()) != S_OK || !root) return false;

    impl_ = std::move(impl);
    return true;
}

bool ConfigFile::HasElement(const std::wstring& path) const {
    ComPtr<IXMLDOMElement> element;
    return impl_ && impl_->SelectElement(path, element);
}

bool ConfigFile::ReadText(const std::wstring& path, std::wstring& out) const {
    ComPtr<IXMLDOMElement> element;
    if (!impl_ || !impl_->SelectElement(path, element)) return false;
    Bstr text;
    if (FAILED(element->get_text(text.Put()))) return false;
    out = text.Str();
    return true;
}

bool ConfigFile::WriteText(const std::wstring& path, const std::wstring& text) {
    ComPtr<IXMLDOMElement> element;
    if (!impl_ || !impl_->SelectElement(path, element)) return false;
    Bstr value(text);
    return SUCCEEDED(element->put_text(value.Get()));
}

bool ConfigFile::ReadAttribute(const std::wstring& path, const std::wstring& name,
                               std::wstring& out) const {
    ComPtr<IXMLDOMElement> element;
    if (!impl_ || !impl_->SelectElement(path, element)) return false;
    Bstr attrName(name);
    Variant value;
    if (element->getAttribute(attrName.Get(), value.Ptr()) != S_OK) return false;
    if (value.Ref().vt != VT_BSTR) return false;
    out = value.Ref().bstrVal ? std::wstring(value.Ref().bstrVal, SysStringLen(value.Ref().bstrVal))
                              : std::wstring();
    return true;
}

bool ConfigFile::WriteAttribute(const std::wstring& path, const std::wstring& name,
                                const std::wstring& text) {
    ComPtr<IXMLDOMElement> element;
    if (!impl_ || !impl_->SelectElement(path, element)) return false;
    Bstr attrName(name);
    Variant value;
    value.Ptr()->vt = VT_BSTR;
    value.Ptr()->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!value.Ref().bstrVal) return false;
    return SUCCEEDED(element->setAttribute(attrName.Get(), value.Ref()));
}

bool ConfigFile::AppendElement(const std::wstring& parentPath, const std::wstring& name) {
    ComPtr<IXMLDOMElement> parent;
    if (!impl_ || !impl_->SelectElement(parentPath, parent)) return false;
    Bstr tag(name);
    ComPtr<IXMLDOMElement> created;
    if (impl_->doc->createElement(tag.Get(), created.Put()) != S_OK || !created) return false;
    ComPtr<IXMLDOMNode> appended;
    return SUCCEEDED(parent->appendChild(created.Get(), appended.Put())) && appended;
}

bool ConfigFile::Save() {
    if (!impl_) return false;
    std::vector<unsigned char> bytes;
    if (!SerialiseDocument(impl_->doc.Get(), bytes)) return false;
    // The new content goes into a file beside the old one (same folder, so the replacement is
    // a rename on one volume); only a complete file, already on the disk, replaces the old one.
    const std::wstring temp = path_ + L".new";
    if (!RemoveLeftover(temp) || !WriteNewFileDurably(temp, bytes)) return false;
    if (!MoveFileExW(temp.c_str(), path_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());  // the old file stands; the next save clears what remains
        return false;
    }
    return true;
}

bool ConfigFile::ReadInt(const std::wstring& path, int32_t& out) const {
    std::wstring text;
    if (!ReadText(path, text)) return false;
    out = ParseConfigInt(text);
    return true;
}

bool ConfigFile::ReadIntAttribute(const std::wstring& path, const std::wstring& name,
                                  int32_t& out) const {
    std::wstring text;
    if (!ReadAttribute(path, name, text)) return false;
    out = ParseConfigInt(text);
    return true;
}

bool ConfigFile::ReadIntFlag(const std::wstring& path, bool& out) const {
    std::wstring text;
    if (!ReadText(path, text)) return false;
    out = ParseConfigIntFlag(text);
    return true;
}

bool ConfigFile::ReadTextFlag(const std::wstring& path, bool& out) const {
    std::wstring text;
    if (!ReadText(path, text)) return false;
    out = ParseConfigTextFlag(text);
    return true;
}

bool ConfigFile::WriteInt(const std::wstring& path, int32_t value) {
    return WriteText(path, FormatConfigInt(value));
}

bool ConfigFile::WriteIntAttribute(const std::wstring& path, const std::wstring& name,
                                   int32_t value) {
    return WriteAttribute(path, name, FormatConfigInt(value));
}

}  // namespace velmora
