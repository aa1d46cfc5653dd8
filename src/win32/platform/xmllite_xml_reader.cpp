// XmlReader on XmlLite, which Windows ships (xmllite.dll) but mingw-w64 has no import
// library for: its entry point is looked up at run time. The text it is given is UTF-8
// without a declaration, which XmlLite takes as UTF-8.
#include <windows.h>
#include <objidl.h>
#include <xmllite.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/xml_reader.h"
#include "win32/platform/wide_text.h"

namespace uptrail {
namespace {

// IID_IXmlReader, spelt out so that no import library is needed for it.
constexpr GUID kXmlReaderInterface{
    0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
CreateXmlReaderFunction CreateXmlReaderOfTheSystem() {
    static const auto create = [] {
        const HMODULE module =
            LoadLibraryExW(L"xmllite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return module ? reinterpret_cast<CreateXmlReaderFunction>(
                            reinterpret_cast<void (*)()>(GetProcAddress(module, "CreateXmlReader")))
                      : nullptr;
    }();
    return create;
}

template <typename Interface>
class ComPointer {
public:
    ComPointer() = default;
    ComPointer(ComPointer&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ~ComPointer() {
        if (pointer_) pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    Interface** put() { return &pointer_; }

private:
    Interface* pointer_ = nullptr;
};

// A stream over a copy of the document in global memory, which the stream frees; the
// shell's lighter memory stream reads as empty to some XmlLite implementations.
ComPointer<IStream> StreamOf(std::span<const std::string_view> pieces) {
    ComPointer<IStream> stream;
    constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    std::size_t size = kUtf8Mark.size();
    for (const std::string_view piece : pieces) size += piece.size();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return stream;
    if (void* bytes = GlobalLock(memory)) {
        char* at = std::copy(kUtf8Mark.begin(), kUtf8Mark.end(), static_cast<char*>(bytes));
        for (const std::string_view piece : pieces) at = std::copy(piece.begin(), piece.end(), at);
        GlobalUnlock(memory);
        if (SUCCEEDED(CreateStreamOnHGlobal(memory, TRUE, stream.put()))) return stream;
    }
    GlobalFree(memory);
    return stream;
}

std::string Utf8Of(const WCHAR* text, UINT length) {
    return Utf8FromWide(std::wstring_view(text, length));
}

std::string LocalNameOf(IXmlReader& reader) {
    const WCHAR* name = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetLocalName(&name, &length)) || !name) return {};
    return Utf8Of(name, length);
}

std::string ValueOf(IXmlReader& reader) {
    const WCHAR* value = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetValue(&value, &length)) || !value) return {};
    return Utf8Of(value, length);
}

void TellElement(IXmlReader& reader, XmlHandler& handler) {
    const std::string name = LocalNameOf(reader);
    const bool empty = reader.IsEmptyElement() != FALSE;
    std::vector<std::pair<std::string, std::string>> texts;
    for (HRESULT at = reader.MoveToFirstAttribute(); at == S_OK; at = reader.MoveToNextAttribute())
        if (reader.IsDefault() == FALSE) texts.emplace_back(LocalNameOf(reader), ValueOf(reader));
    reader.MoveToElement();
    std::vector<XmlAttribute> attributes;
    for (const auto& [attributeName, value] : texts) attributes.push_back({attributeName, value});
    handler.StartElement(name, attributes);
    if (empty) handler.EndElement(name);
}

XmlOutcome Failure(IXmlReader* reader, HRESULT result) {
    UINT line = 0;
    if (reader) reader->GetLineNumber(&line);
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    return {false, std::string("not well-formed XML (error ") + code + ")", line};
}

}  // namespace

class XmlLiteReader final : public XmlReader {
public:
    XmlOutcome Read(std::span<const std::string_view> pieces, XmlHandler& handler) const override {
        const CreateXmlReaderFunction createReader = CreateXmlReaderOfTheSystem();
        if (!createReader) return {false, "this system has no XML reader (xmllite.dll)", 0};
        ComPointer<IStream> stream = StreamOf(pieces);
        ComPointer<IXmlReader> reader;
        if (!stream.get() || FAILED(createReader(kXmlReaderInterface,
                                                 reinterpret_cast<void**>(reader.put()), nullptr)))
            return {false, "out of memory", 0};
        reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
        if (const HRESULT set = reader->SetInput(stream.get()); FAILED(set))
            return Failure(reader.get(), set);
        XmlNodeType type = XmlNodeType_None;
        HRESULT result = S_OK;
        while ((result = reader->Read(&type)) == S_OK) {
            if (type == XmlNodeType_Element)
                TellElement(*reader.get(), handler);
            else if (type == XmlNodeType_EndElement)
                handler.EndElement(LocalNameOf(*reader.get()));
            else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA ||
                     type == XmlNodeType_Whitespace)
                handler.Text(ValueOf(*reader.get()));
        }
        if (FAILED(result)) return Failure(reader.get(), result);
        return {};
    }
};

const XmlReader& SystemXmlReader() {
    static const XmlLiteReader reader;
    return reader;
}

}  // namespace uptrail
