#include "analysis/regexp_service.h"

#include "analysis/system_codec.h"
#include "toolkit/exceptions.h"
#include "toolkit/win_text.h"

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstdio>

using Microsoft::WRL::ComPtr;

namespace {

struct Variant : VARIANT {
    Variant() { VariantInit(this); }
    ~Variant() { VariantClear(this); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

std::string HResultText(HRESULT hr) {
    char* buffer = nullptr;
    DWORD n = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (n && buffer) text.assign(buffer, n);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    if (text.empty()) {
        char code[40];
        std::snprintf(code, sizeof code, "OLE error %08lX", static_cast<unsigned long>(hr));
        text = code;
    }
    return text;
}

[[noreturn]] void ThrowOle(HRESULT hr, EXCEPINFO* info = nullptr) {
    std::string message;
    if (info) {
        if (info->pfnDeferredFillIn) info->pfnDeferredFillIn(info);
        if (info->bstrDescription && *info->bstrDescription)
            message = Narrow(info->bstrDescription);
        if (FAILED(info->scode)) hr = info->scode;
        SysFreeString(info->bstrSource);
        SysFreeString(info->bstrDescription);
        SysFreeString(info->bstrHelpFile);
    }
    if (message.empty()) message = HResultText(hr);
    throw EOleException(message);
}

class Bstr {
public:
    explicit Bstr(std::wstring_view s)
        : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {
        if (!b_) ThrowOle(E_OUTOFMEMORY);
    }
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }

private:
    BSTR b_;
};

DISPID IdOf(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) ThrowOle(hr);
    return id;
}

// args are in the order of the call (Invoke wants them reversed; no call here takes two).
void Invoke(IDispatch* object, DISPID id, WORD flags, VARIANT* arg, VARIANT* result) {
    DISPPARAMS params{};
    DISPID named = DISPID_PROPERTYPUT;
    if (arg) {
        params.rgvarg = arg;
        params.cArgs = 1;
    }
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO info{};
    UINT argError = 0;
    HRESULT hr =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, &argError);
    if (hr == DISP_E_EXCEPTION) ThrowOle(hr, &info);
    if (FAILED(hr)) ThrowOle(hr);
}

ComPtr<IDispatch> GetDispatch(IDispatch* object, DISPID id, VARIANT* arg = nullptr) {
    Variant v;
    Invoke(object, id, DISPATCH_PROPERTYGET | DISPATCH_METHOD, arg, &v);
    if (V_VT(&v) != VT_DISPATCH || !V_DISPATCH(&v)) ThrowOle(DISP_E_TYPEMISMATCH);
    return ComPtr<IDispatch>(V_DISPATCH(&v));
}

long GetLong(IDispatch* object, DISPID id) {
    Variant v;
    Invoke(object, id, DISPATCH_PROPERTYGET, nullptr, &v);
    HRESULT hr = VariantChangeType(&v, &v, 0, VT_I4);
    if (FAILED(hr)) ThrowOle(hr);
    return V_I4(&v);
}

const analysis::ExactCodec& Codec() {
    return analysis::SystemCodec();
}

std::wstring ToService(std::string_view bytes) {
    std::u16string wide = Codec().Decode(bytes);
    return std::wstring(wide.begin(), wide.end());
}

// Sub-matches are slices of the text given, so this gives back exactly their bytes.
std::string ToText(VARIANT* v) {
    if (V_VT(v) == VT_EMPTY || V_VT(v) == VT_NULL) return {};
    if (V_VT(v) != VT_BSTR) {
        HRESULT hr = VariantChangeType(v, v, 0, VT_BSTR);
        if (FAILED(hr)) ThrowOle(hr);
    }
    if (!V_BSTR(v)) return {};
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return Codec().Encode(
        std::u16string_view(reinterpret_cast<const char16_t*>(V_BSTR(v)), SysStringLen(V_BSTR(v))));
}

// The dispatch identifiers of a class come from its type library, so one lookup serves every
// object of that class; a lookup per item would double the cost of a large result.
struct CachedId {
    DISPID id = DISPID_UNKNOWN;
    bool known = false;
    DISPID Get(IDispatch* object, const wchar_t* name) {
        if (!known) {
            id = IdOf(object, name);
            known = true;
        }
        return id;
    }
};

} // namespace

struct VBScriptRegExp::Impl {
    ComPtr<IDispatch> regexp;
    CachedId global, pattern, ignoreCase, execute;
    CachedId matchesCount, matchesItem, value, subMatches, subCount, subItem;
    bool globalOn = false;

    // Execute on the text; the match collection.
    ComPtr<IDispatch> Run(const std::string& text);

    IDispatch* Object() {
        if (regexp) return regexp.Get();
        CLSID clsid;
        HRESULT hr = CLSIDFromProgID(L"VBScript.RegExp", &clsid);
        if (FAILED(hr)) ThrowOle(hr);
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(regexp.ReleaseAndGetAddressOf()));
        if (FAILED(hr)) ThrowOle(hr);
        return regexp.Get();
    }

    void Put(CachedId& id, const wchar_t* name, VARIANT* value) {
        IDispatch* object = Object();
        Invoke(object, id.Get(object, name), DISPATCH_PROPERTYPUT, value, nullptr);
    }

    void ReadMatch(IDispatch* match, RegExpMatch* out) {
        {
            Variant v;
            Invoke(match, value.Get(match, L"Value"), DISPATCH_PROPERTYGET, nullptr, &v);
            out->value = ToText(&v);
        }
        ComPtr<IDispatch> groups = GetDispatch(match, subMatches.Get(match, L"SubMatches"));
        long groupCount = GetLong(groups.Get(), subCount.Get(groups.Get(), L"Count"));
        out->subMatches.reserve(static_cast<size_t>(groupCount > 0 ? groupCount : 0));
        for (long j = 0; j < groupCount; ++j) {
            Variant groupIndex, item;
            V_VT(&groupIndex) = VT_I4;
            V_I4(&groupIndex) = j;
            Invoke(groups.Get(), subItem.Get(groups.Get(), L"Item"),
                   DISPATCH_PROPERTYGET | DISPATCH_METHOD, &groupIndex, &item);
            out->subMatches.push_back(ToText(&item));
        }
    }

    void PutBool(CachedId& id, const wchar_t* name, bool on) {
        Variant v;
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = on ? VARIANT_TRUE : VARIANT_FALSE;
        Put(id, name, &v);
    }
};

VBScriptRegExp::VBScriptRegExp() : impl_(std::make_unique<Impl>()) {}

VBScriptRegExp::~VBScriptRegExp() = default;

void VBScriptRegExp::SetGlobal(bool on) {
    impl_->PutBool(impl_->global, L"Global", on);
    impl_->globalOn = on;
}

void VBScriptRegExp::SetIgnoreCase(bool on) {
    impl_->PutBool(impl_->ignoreCase, L"IgnoreCase", on);
}

void VBScriptRegExp::SetPattern(const std::string& pattern) {
    Variant v;
    V_VT(&v) = VT_BSTR;
    std::wstring wide = ToService(pattern);
    V_BSTR(&v) = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!V_BSTR(&v)) ThrowOle(E_OUTOFMEMORY);
    impl_->Put(impl_->pattern, L"Pattern", &v);
}

ComPtr<IDispatch> VBScriptRegExp::Impl::Run(const std::string& text) {
    IDispatch* object = Object();
    Bstr source(ToService(text));
    VARIANT arg; // a plain VARIANT: the string belongs to source, even when Execute throws
    VariantInit(&arg);
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = source.get();
    return GetDispatch(object, execute.Get(object, L"Execute"), &arg);
}

void VBScriptRegExp::ForEachMatch(const std::string& text,
                                  const std::function<void(const RegExpMatch&)>& each) {
    Impl& d = *impl_;
    ComPtr<IDispatch> matches = d.Run(text);
    long count = GetLong(matches.Get(), d.matchesCount.Get(matches.Get(), L"Count"));
    // One match at a time: a pattern with a match at every position must not hold them all.
    RegExpMatch m;
    for (long i = 0; i < count; ++i) {
        Variant index;
        V_VT(&index) = VT_I4;
        V_I4(&index) = i;
        ComPtr<IDispatch> match =
            GetDispatch(matches.Get(), d.matchesItem.Get(matches.Get(), L"Item"), &index);
        m.subMatches.clear();
        d.ReadMatch(match.Get(), &m);
        each(m);
    }
}

std::vector<RegExpMatch> VBScriptRegExp::Execute(const std::string& text) {
    std::vector<RegExpMatch> result;
    ForEachMatch(text, [&](const RegExpMatch& m) { result.push_back(m); });
    return result;
}

bool VBScriptRegExp::FirstMatchIsEmpty(const std::string& text) {
    Impl& d = *impl_;
    const bool global = d.globalOn;
    SetGlobal(false);
    bool empty = false;
    try {
        ComPtr<IDispatch> matches = d.Run(text);
        if (GetLong(matches.Get(), d.matchesCount.Get(matches.Get(), L"Count")) > 0) {
            Variant index;
            V_VT(&index) = VT_I4;
            V_I4(&index) = 0;
            ComPtr<IDispatch> match =
                GetDispatch(matches.Get(), d.matchesItem.Get(matches.Get(), L"Item"), &index);
            Variant v;
            Invoke(match.Get(), d.value.Get(match.Get(), L"Value"), DISPATCH_PROPERTYGET, nullptr,
                   &v);
            empty = ToText(&v).empty();
        }
    } catch (...) {
        SetGlobal(global);
        throw;
    }
    SetGlobal(global);
    return empty;
}
