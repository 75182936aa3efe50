// The band server's entry points and what its file carries: the class object, the count of
// objects and locks that keeps it loaded, its exports, its type library and its icons.
#include "KeyvaleTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace keyvale_test;

namespace {

void* const kSentinel = reinterpret_cast<void*>(0x1234);

class ServerEntry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        ASSERT_NE(nullptr, dll_.getClassObject) << "keyvale.dll did not load";
        ASSERT_NE(nullptr, dll_.canUnloadNow);
    }
    void TearDown() override { EXPECT_EQ(S_OK, dll_.canUnloadNow()); }

    ComApartment com_;
    const KeyvaleDll& dll_ = KeyvaleDll::Get();
};

TEST_F(ServerEntry, ClassObjectIsServedForTheBandClassOnly) {
    const struct {
        const char* what;
        const GUID* clsid;
    } refused[] = {
        {"the browser helper's class", &kHelperClsid},
        {"the null class", &GUID_NULL},
        {"the band's interface identifier", &kPasswordBarIid},
        {"the type library identifier", &kLibId},
        {"a class of the system", &CLSID_StdGlobalInterfaceTable},
    };
    for (const auto& c : refused) {
        for (const IID* iid : {&IID_IClassFactory, &IID_IUnknown}) {
            void* out = kSentinel;
            EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, dll_.getClassObject(*c.clsid, *iid, &out)) << c.what;
            EXPECT_EQ(nullptr, out) << c.what;
        }
    }

    EXPECT_EQ(E_POINTER, dll_.getClassObject(kBandClsid, IID_IClassFactory, nullptr));
    void* out = kSentinel;
    EXPECT_EQ(E_NOINTERFACE, dll_.getClassObject(kBandClsid, IID_IDeskBand, &out));
    EXPECT_EQ(nullptr, out);

    com_ptr<IUnknown> unknown;
    ASSERT_EQ(S_OK, dll_.getClassObject(kBandClsid, IID_IUnknown, unknown.put_void()));
    com_ptr<IClassFactory> factory;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IClassFactory, factory.put_void()));
    EXPECT_EQ(static_cast<IUnknown*>(factory.get()), unknown.get());
    out = kSentinel;
    EXPECT_EQ(E_NOINTERFACE, factory->QueryInterface(IID_IClassFactory2, &out));
    EXPECT_EQ(nullptr, out);
}

TEST_F(ServerEntry, ServerStaysLoadedWhileObjectsOrLocksLive) {
    EXPECT_EQ(S_OK, dll_.canUnloadNow());

    com_ptr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll_.getClassObject(kBandClsid, IID_IClassFactory, factory.put_void()));
    EXPECT_EQ(S_FALSE, dll_.canUnloadNow());  // the factory
    com_ptr<IDeskBand> first, second;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDeskBand, first.put_void()));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDeskBand, second.put_void()));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.reset();
    EXPECT_EQ(S_FALSE, dll_.canUnloadNow());  // two bands and a lock
    first.reset();
    EXPECT_EQ(S_FALSE, dll_.canUnloadNow());  // a band and a lock
    second.reset();
    EXPECT_EQ(S_FALSE, dll_.canUnloadNow());  // the lock

    ASSERT_EQ(S_OK, dll_.getClassObject(kBandClsid, IID_IClassFactory, factory.put_void()));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_FALSE, dll_.canUnloadNow());  // the factory
    factory.reset();
    EXPECT_EQ(S_OK, dll_.canUnloadNow());

    // A band made and let go, sited or not, leaves nothing behind.
    com_ptr<IDeskBand> band;
    ASSERT_EQ(S_OK, NewBand(IID_IDeskBand, band.put_void()));
    EXPECT_EQ(S_FALSE, dll_.canUnloadNow());
    band.reset();
    EXPECT_EQ(S_OK, dll_.canUnloadNow());
}

// The names the server file exports, read from its export directory.
std::vector<std::string> ExportedNames(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::vector<std::string> names;
    if (!entry.VirtualAddress) return names;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    const auto* nameOffsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.emplace_back(reinterpret_cast<const char*>(base + nameOffsets[i]));
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ServerEntry, ExportsExactlyTheFourEntryPointsUndecorated) {
    EXPECT_EQ((std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                        "DllUnregisterServer"}),
              ExportedNames(dll_.module));
}

TEST_F(ServerEntry, TypeLibraryIsResourceOneOfTheServerFile) {
    EXPECT_NE(nullptr, ::FindResourceW(dll_.module, MAKEINTRESOURCEW(1), L"TYPELIB"));

    com_ptr<ITypeLib> library;
    ASSERT_EQ(S_OK, ::LoadTypeLibEx(KeyvaleDllPath().c_str(), REGKIND_NONE, library.put()));
    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&libAttr));
    EXPECT_EQ(kLibId, libAttr->guid);
    EXPECT_EQ(1, libAttr->wMajorVerNum);
    EXPECT_EQ(0, libAttr->wMinorVerNum);
    library->ReleaseTLibAttr(libAttr);

    {
        BSTR name = nullptr, doc = nullptr;
        ASSERT_EQ(S_OK, library->GetDocumentation(-1, &name, &doc, nullptr, nullptr));
        keyvale::win::unique_bstr ownName(name), ownDoc(doc);
        EXPECT_STREQ(L"LumoraLib", name);
        EXPECT_STREQ(L"Lumora 1.0 Type Library", doc);
    }

    // The class: creatable, its one and default interface IPasswordBar.
    com_ptr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(kBandClsid, coclass.put()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_COCLASS, attr->typekind);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(1, attr->cImplTypes);
    coclass->ReleaseTypeAttr(attr);
    INT flags = 0;
    ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(0, &flags));
    EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(0, &ref));
    com_ptr<ITypeInfo> implemented;
    ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(ref, implemented.put()));
    ASSERT_EQ(S_OK, implemented->GetTypeAttr(&attr));
    EXPECT_EQ(kPasswordBarIid, attr->guid);
    implemented->ReleaseTypeAttr(attr);
    BSTR name = nullptr, doc = nullptr;
    ASSERT_EQ(S_OK, coclass->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr));
    keyvale::win::unique_bstr ownName(name), ownDoc(doc);
    EXPECT_STREQ(L"PasswordBar", name);
    EXPECT_STREQ(L"PasswordBar Class", doc);
}

// The bytes of the 32 by 32 image of an icon group resource.
std::vector<BYTE> IconImage(HMODULE module, int group) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(group), RT_GROUP_ICON);
    if (!found) return {};
    auto* directory = static_cast<BYTE*>(::LockResource(::LoadResource(module, found)));
    if (!directory) return {};
    const int id = ::LookupIconIdFromDirectoryEx(directory, TRUE, 32, 32, LR_DEFAULTCOLOR);
    HRSRC image = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON);
    if (!image) return {};
    const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(module, image)));
    return std::vector<BYTE>(bytes, bytes + ::SizeofResource(module, image));
}

TEST_F(ServerEntry, IconOfTheToolbarButtonEntryIsTheBandsImage) {
    // Icon 201, which the browser's toolbar button entry names, and the band's icon 207.
    const std::vector<BYTE> button = IconImage(dll_.module, 201);
    const std::vector<BYTE> band = IconImage(dll_.module, 207);
    ASSERT_FALSE(band.empty());
    EXPECT_EQ(band, button);
    for (int id : {201, 207}) {
        keyvale::win::unique_hicon icon(static_cast<HICON>(
            ::LoadImageW(dll_.module, MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
        EXPECT_TRUE(icon) << id;
    }
}

}  // namespace
