// What the tests of both COM servers share: the two servers' identifiers as their users know
// them, a server DLL loaded by its path with its entry points, COM for a test's thread and a
// fixture that ends every test with the server free to unload, an object that records what
// it is asked (an aggregate's outer object, or a bare site), checks of refused requests, of
// aggregation and of the type library a server file carries, and running a program. Plain
// Win32 and GoogleTest, so the tests of either server can use it without any code of the other.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumora_wine {

// --- The band server keyvale.dll ---------------------------------------------------------
// {6A0C3E51-9B27-4D8E-B1F4-2C7D95E0A318}, the band's class
inline constexpr CLSID kBandClsid = {
    0x6A0C3E51, 0x9B27, 0x4D8E, {0xB1, 0xF4, 0x2C, 0x7D, 0x95, 0xE0, 0xA3, 0x18}};
// {5D2E8A41-7C3B-4F96-A0D8-19E4B6C2F753}, the band's interface IPasswordBar
inline constexpr IID kPasswordBarIid = {
    0x5D2E8A41, 0x7C3B, 0x4F96, {0xA0, 0xD8, 0x19, 0xE4, 0xB6, 0xC2, 0xF7, 0x53}};
// {C2E94D07-5F31-4A6B-8E20-7B1D3F9A64C5}, the band server's type library
inline constexpr GUID kLibId = {
    0xC2E94D07, 0x5F31, 0x4A6B, {0x8E, 0x20, 0x7B, 0x1D, 0x3F, 0x9A, 0x64, 0xC5}};

inline constexpr const wchar_t* kBandClsidText = L"{6A0C3E51-9B27-4D8E-B1F4-2C7D95E0A318}";
inline constexpr const wchar_t* kPasswordBarIidText = L"{5D2E8A41-7C3B-4F96-A0D8-19E4B6C2F753}";
inline constexpr const wchar_t* kLibIdText = L"{C2E94D07-5F31-4A6B-8E20-7B1D3F9A64C5}";
// The browser's toolbar button entry of the band server.
inline constexpr const wchar_t* kButtonEntryText = L"{9E5B2A14-0C7D-4F63-A85E-D41B6C2F0397}";

// --- The browser helper navlatch.dll -----------------------------------------------------
// {3F8D61C2-A4E9-4B05-97C3-5E2A0D8B71F6}, the helper's class
inline constexpr CLSID kHelperClsid = {
    0x3F8D61C2, 0xA4E9, 0x4B05, {0x97, 0xC3, 0x5E, 0x2A, 0x0D, 0x8B, 0x71, 0xF6}};
// {8B41C6E2-93D5-4A07-B62F-0E7C35A9D184}, the helper's interface IIEHelper
inline constexpr IID kHelperIid = {
    0x8B41C6E2, 0x93D5, 0x4A07, {0xB6, 0x2F, 0x0E, 0x7C, 0x35, 0xA9, 0xD1, 0x84}};
// {B70E4F93-2D6A-4C18-9F5B-A3C81E0D2467}, the helper's type library
inline constexpr GUID kHelperLibId = {
    0xB70E4F93, 0x2D6A, 0x4C18, {0x9F, 0x5B, 0xA3, 0xC8, 0x1E, 0x0D, 0x24, 0x67}};

inline constexpr const wchar_t* kHelperClsidText = L"{3F8D61C2-A4E9-4B05-97C3-5E2A0D8B71F6}";
inline constexpr const wchar_t* kHelperIidText = L"{8B41C6E2-93D5-4A07-B62F-0E7C35A9D184}";
inline constexpr const wchar_t* kHelperLibIdText = L"{B70E4F93-2D6A-4C18-9F5B-A3C81E0D2467}";

// --- Loading a server --------------------------------------------------------------------

// A build path (a Linux path) as Wine's Z: drive shows it.
std::wstring WindowsPath(const char* buildPath);

// A server DLL loaded into the test process, with its entry points.
struct ComServerDll {
    std::wstring path;  // as Windows sees it
    HMODULE module = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;

    // Loads the DLL at path and looks up its entry points; it stays loaded for the life of
    // the process. The entry points are null when it did not load.
    static ComServerDll Load(const std::wstring& path);

    // The DLL's file name, for test messages ("keyvale.dll").
    std::string Name() const;
    // The DLL's file as the module-file-name query gives it.
    std::wstring ModuleFileName() const;
    // A new object of the class from the DLL's class factory, as riid.
    HRESULT NewObject(REFCLSID clsid, REFIID riid, void** out) const;
};

// COM for the calling thread, single-threaded apartment, for the life of a test.
class ComApartment {
public:
    ComApartment() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT result() const { return hr_; }

private:
    HRESULT hr_;
};

// A test of one server DLL: COM for the test's thread, the DLL loaded with both entry
// points, and every test ending with everything it made released.
class ComServerTest : public ::testing::Test {
protected:
    explicit ComServerTest(const ComServerDll& dll) : dll_(dll) {}

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        ASSERT_NE(nullptr, dll_.getClassObject) << dll_.Name() << " did not load";
        ASSERT_NE(nullptr, dll_.canUnloadNow);
    }
    void TearDown() override {
        if (dll_.canUnloadNow) {
            EXPECT_EQ(S_OK, dll_.canUnloadNow());
        }
    }

    ComApartment com_;
    const ComServerDll& dll_;
};

// --- Objects and checks ------------------------------------------------------------------

// What an out pointer holds before a call, so that a call that leaves it alone shows.
inline void* const kSentinel = reinterpret_cast<void*>(0x1234);

// An object that answers IUnknown itself, hands every other question to `inner` when it has
// one, and records every question it is asked: the outer object that aggregates a server's
// object (through the inner IUnknown), or, without an inner object, a site that is nothing more.
class RecordingUnknown final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    ULONG refs = 1;
    IUnknown* inner = nullptr;
    std::vector<IID> asked;
};

// Questions asked of `handedOut`, an interface that an aggregated object handed out, go to
// its outer object: IUnknown gives the outer object itself, and `other` reaches the outer
// object as its second question, after IUnknown. The references taken are given back.
void ExpectDelegatesToOuter(IUnknown* handedOut, RecordingUnknown& outer, REFIID other);

// The inner IUnknown of an aggregated object answers IUnknown with itself, not with its outer
// object; the caller holds the one other reference to it.
void ExpectInnerAnswersForItself(IUnknown* inner);

// QueryInterface of a browser window's automation object: IUnknown, IDispatch and the three
// browser interfaces, all as `browser` itself, with a reference added.
HRESULT QueryBrowserInterface(IWebBrowser2* browser, REFIID riid, void** out);

// The object refuses iid: E_NOINTERFACE, and the out pointer null.
void ExpectNoInterface(IUnknown* object, REFIID iid, const std::string& what);

// The DLL gives no class object for clsid as iid: `expected`, and the out pointer null.
void ExpectGetClassObjectFails(const ComServerDll& dll, REFCLSID clsid, REFIID iid, HRESULT expected,
                               const std::string& what);

// The factory makes no object for outer (null: not aggregated) as iid: `expected`, and the
// out pointer null.
void ExpectCreateInstanceFails(IClassFactory* factory, IUnknown* outer, REFIID iid, HRESULT expected,
                               const std::string& what);

// What a server file's type library says of itself and of its one class.
struct TypeLibraryFacts {
    GUID libId;
    const wchar_t* libName;
    const wchar_t* libDoc;
    CLSID clsid;
    const wchar_t* className;
    const wchar_t* classDoc;
    IID defaultInterface;
};

// The server file carries its type library as resource 1 of type TYPELIB, and the library
// loaded from the file is version 1.0 with the name and description given; its class is
// creatable, with the name and description given, and has one implemented interface, the
// default one given.
void ExpectTypeLibraryResource(const ComServerDll& dll, const TypeLibraryFacts& facts);

// --- Programs and text -------------------------------------------------------------------

// How a program run by RunProgram went.
struct ProgramRun {
    bool started = false;
    DWORD startError = 0;  // GetLastError when it could not be started
    DWORD exitCode = ~0u;  // ~0 when it did not start or did not end within a minute
};

// Starts a program (program may be empty: the command line's first word names it) and waits
// up to a minute for it to end.
ProgramRun RunProgram(const std::wstring& program, std::wstring commandLine);

// The text of a GUID in braces, as the registry holds it.
std::wstring GuidText(REFGUID guid);

// A wide text for test messages.
std::string Narrow(const std::wstring& text);

}  // namespace lumora_wine
