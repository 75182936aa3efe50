// The band server's entry points and what its file carries: the class object, the count of
// objects and locks that keeps it loaded, its exports, its type library and its icons.
#include "KeyvaleTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace keyvale_test;

namespace {

class ServerEntry : public KeyvaleTest {};

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
            ExpectGetClassObjectFails(dll_, *c.clsid, *iid, CLASS_E_CLASSNOTAVAILABLE, c.what);
        }
    }

    EXPECT_EQ(E_POINTER, dll_.getClassObject(kBandClsid, IID_IClassFactory, nullptr));
    ExpectGetClassObjectFails(dll_, kBandClsid, IID_IDeskBand, E_NOINTERFACE, "IDeskBand");

    com_ptr<IUnknown> unknown;
    ASSERT_EQ(S_OK, dll_.getClassObject(kBandClsid, IID_IUnknown, unknown.put_void()));
    com_ptr<IClassFactory> factory;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IClassFactory, factory.put_void()));
    EXPECT_EQ(static_cast<IUnknown*>(factory.get()), unknown.get());
    ExpectNoInterface(factory.get(), IID_IClassFactory2, "IClassFactory2");
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
    // The class: creatable, its one and default interface IPasswordBar.
    ExpectTypeLibraryResource(dll_, {.libId = kLibId,
                                     .libName = L"LumoraLib",
                                     .libDoc = L"Lumora 1.0 Type Library",
                                     .clsid = kBandClsid,
                                     .className = L"PasswordBar",
                                     .classDoc = L"PasswordBar Class",
                                     .defaultInterface = kPasswordBarIid});
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
