#include "win/WinRaii.h"

#include <gtest/gtest.h>

using namespace keyvale::win;

namespace {

// A COM object that counts its references, so ownership can be checked exactly.
struct Counted : IUnknown {
    LONG refs = 1;
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid != IID_IUnknown) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
};

}  // namespace

TEST(ComPtr, CountsReferencesThroughCopyMovePutAndQuery) {
    Counted object;
    {
        com_ptr<IUnknown> a(&object);
        EXPECT_EQ(2, object.refs);
        com_ptr<IUnknown> b = a;
        EXPECT_EQ(3, object.refs);
        com_ptr<IUnknown> c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(3, object.refs);
        com_ptr<IUnknown> q;
        ASSERT_EQ(S_OK, a.query(q));
        EXPECT_EQ(4, object.refs);
        q.put();  // releases before handing out the address
        EXPECT_EQ(3, object.refs);
    }
    EXPECT_EQ(1, object.refs);
    com_ptr<IUnknown> empty;
    com_ptr<IUnknown> out;
    EXPECT_EQ(E_POINTER, empty.query(out));
}

TEST(UniqueAny, ClosesOnceAndHandsOwnershipOn) {
    unique_handle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    HANDLE raw = event.get();
    unique_handle moved = std::move(event);
    EXPECT_FALSE(event);
    EXPECT_EQ(raw, moved.get());
    moved.reset();
    EXPECT_FALSE(::SetEvent(raw));  // already closed

    unique_hfile none;
    EXPECT_FALSE(none);
    EXPECT_EQ(INVALID_HANDLE_VALUE, none.get());
}

TEST(ScopeExit, RunsUnlessReleased) {
    int runs = 0;
    {
        scope_exit a([&] { ++runs; });
        scope_exit b([&] { runs += 10; });
        b.release();
    }
    EXPECT_EQ(1, runs);
}
