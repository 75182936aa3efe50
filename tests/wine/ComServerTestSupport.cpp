#include "ComServerTestSupport.h"

#include <utility>

namespace lumora_wine {
namespace {

// One counted reference, released when it goes.
template <typename T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    void reset() {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }
    // Releases what is held, then hands out the address for an out parameter.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

// A string the system allocated, freed when it goes.
class OwnedBstr {
public:
    OwnedBstr() = default;
    OwnedBstr(const OwnedBstr&) = delete;
    OwnedBstr& operator=(const OwnedBstr&) = delete;
    ~OwnedBstr() { ::SysFreeString(text_); }

    BSTR get() const { return text_; }
    BSTR* put() {
        ::SysFreeString(std::exchange(text_, nullptr));
        return &text_;
    }

private:
    BSTR text_ = nullptr;
};

// One handle of a started process, closed when it goes.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() {
        if (handle_) ::CloseHandle(handle_);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

std::wstring WindowsPath(const char* buildPath) {
    std::wstring path = L"Z:";
    for (const char* p = buildPath; *p; ++p) path += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

ComServerDll ComServerDll::Load(const std::wstring& path) {
    ComServerDll dll;
    dll.path = path;
    dll.module = ::LoadLibraryW(path.c_str());
    if (dll.module) {
        dll.getClassObject = reinterpret_cast<decltype(dll.getClassObject)>(
            reinterpret_cast<void*>(::GetProcAddress(dll.module, "DllGetClassObject")));
        dll.canUnloadNow = reinterpret_cast<decltype(dll.canUnloadNow)>(
            reinterpret_cast<void*>(::GetProcAddress(dll.module, "DllCanUnloadNow")));
    }
    return dll;
}

std::string ComServerDll::Name() const {
    const std::size_t cut = path.find_last_of(L'\\');
    return Narrow(cut == std::wstring::npos ? path : path.substr(cut + 1));
}

std::wstring ComServerDll::ModuleFileName() const {
    wchar_t file[MAX_PATH] = {};
    ::GetModuleFileNameW(module, file, MAX_PATH);
    return file;
}

HRESULT ComServerDll::NewObject(REFCLSID clsid, REFIID riid, void** out) const {
    if (!getClassObject) return E_UNEXPECTED;
    Ref<IClassFactory> factory;
    const HRESULT hr = getClassObject(clsid, IID_IClassFactory, factory.put_void());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, riid, out);
}

STDMETHODIMP RecordingUnknown::QueryInterface(REFIID riid, void** out) {
    asked.push_back(riid);
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown) {
        *out = this;
        AddRef();
        return S_OK;
    }
    return inner ? inner->QueryInterface(riid, out) : E_NOINTERFACE;
}

void ExpectDelegatesToOuter(IUnknown* handedOut, RecordingUnknown& outer, REFIID other) {
    Ref<IUnknown> identity;
    ASSERT_EQ(S_OK, handedOut->QueryInterface(IID_IUnknown, identity.put_void()));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity.get());
    identity.reset();
    Ref<IUnknown> answer;
    ASSERT_EQ(S_OK, handedOut->QueryInterface(other, answer.put_void()));
    ASSERT_EQ(2u, outer.asked.size());
    EXPECT_EQ(IID_IUnknown, outer.asked[0]);
    EXPECT_EQ(other, outer.asked[1]);
}

void ExpectInnerAnswersForItself(IUnknown* inner) {
    IUnknown* again = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again)));
    EXPECT_EQ(inner, again);
    EXPECT_EQ(1u, again->Release());
}

HRESULT QueryBrowserInterface(IWebBrowser2* browser, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != IID_IWebBrowser && riid != IID_IWebBrowserApp &&
        riid != IID_IWebBrowser2) {
        return E_NOINTERFACE;
    }
    *out = browser;
    browser->AddRef();
    return S_OK;
}

void ExpectNoInterface(IUnknown* object, REFIID iid, const std::string& what) {
    void* out = kSentinel;
    EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(iid, &out)) << what;
    EXPECT_EQ(nullptr, out) << what;
}

void ExpectGetClassObjectFails(const ComServerDll& dll, REFCLSID clsid, REFIID iid, HRESULT expected,
                               const std::string& what) {
    void* out = kSentinel;
    EXPECT_EQ(expected, dll.getClassObject(clsid, iid, &out)) << what;
    EXPECT_EQ(nullptr, out) << what;
}

void ExpectCreateInstanceFails(IClassFactory* factory, IUnknown* outer, REFIID iid, HRESULT expected,
                               const std::string& what) {
    void* out = kSentinel;
    EXPECT_EQ(expected, factory->CreateInstance(outer, iid, &out)) << what;
    EXPECT_EQ(nullptr, out) << what;
}

void ExpectTypeLibraryResource(const ComServerDll& dll, const TypeLibraryFacts& facts) {
    EXPECT_NE(nullptr, ::FindResourceW(dll.module, MAKEINTRESOURCEW(1), L"TYPELIB"));

    Ref<ITypeLib> library;
    ASSERT_EQ(S_OK, ::LoadTypeLibEx(dll.path.c_str(), REGKIND_NONE, library.put()));
    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&libAttr));
    EXPECT_EQ(facts.libId, libAttr->guid);
    EXPECT_EQ(1, libAttr->wMajorVerNum);
    EXPECT_EQ(0, libAttr->wMinorVerNum);
    library->ReleaseTLibAttr(libAttr);

    {
        OwnedBstr name, doc;
        ASSERT_EQ(S_OK, library->GetDocumentation(-1, name.put(), doc.put(), nullptr, nullptr));
        EXPECT_STREQ(facts.libName, name.get());
        EXPECT_STREQ(facts.libDoc, doc.get());
    }

    // The class: creatable, with one implemented interface.
    Ref<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(facts.clsid, coclass.put()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_COCLASS, attr->typekind);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(1, attr->cImplTypes);
    coclass->ReleaseTypeAttr(attr);
    {
        OwnedBstr name, doc;
        ASSERT_EQ(S_OK, coclass->GetDocumentation(MEMBERID_NIL, name.put(), doc.put(), nullptr, nullptr));
        EXPECT_STREQ(facts.className, name.get());
        EXPECT_STREQ(facts.classDoc, doc.get());
    }

    // Its one interface is the default one.
    INT flags = 0;
    ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(0, &flags));
    EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(0, &ref));
    Ref<ITypeInfo> implemented;
    ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(ref, implemented.put()));
    ASSERT_EQ(S_OK, implemented->GetTypeAttr(&attr));
    EXPECT_EQ(facts.defaultInterface, attr->guid);
    implemented->ReleaseTypeAttr(attr);
}

ProgramRun RunProgram(const std::wstring& program, std::wstring commandLine) {
    ProgramRun run;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(program.empty() ? nullptr : program.c_str(), commandLine.data(), nullptr, nullptr,
                          FALSE, 0, nullptr, nullptr, &startup, &process)) {
        run.startError = ::GetLastError();
        return run;
    }
    run.started = true;
    OwnedHandle thread(process.hThread), running(process.hProcess);
    if (::WaitForSingleObject(running.get(), 60000) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(running.get(), &run.exitCode);
    }
    return run;
}

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

std::string Narrow(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr,
                          nullptr);
    return out;
}

}  // namespace lumora_wine
