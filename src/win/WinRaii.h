// Owners for platform resources: every handle, key, blob, COM pointer and window of the
// Win32 glue is held by one of these, so no path forgets a release.
#pragma once

#include "win/WinPrelude.h"

#include <objbase.h>
#include <oleauto.h>
#include <wincrypt.h>
#include <commctrl.h>

#include <cstddef>
#include <utility>

namespace keyvale::win {

// unique_any: one owned value of a handle-like type, closed through Traits::close.
template <typename Traits>
class unique_any {
public:
    using type = typename Traits::type;

    unique_any() noexcept = default;
    explicit unique_any(type value) noexcept : value_(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    void reset(type value = Traits::invalid()) noexcept {
        type old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }
    [[nodiscard]] type release() noexcept { return std::exchange(value_, Traits::invalid()); }
    // Releases what is held, then hands out the address for an out parameter.
    type* put() noexcept {
        reset();
        return &value_;
    }

private:
    type value_ = Traits::invalid();
};

template <typename T, auto Close>
struct handle_traits {
    using type = T;
    static type invalid() noexcept { return type{}; }
    static void close(type value) noexcept { Close(value); }
};

inline void close_handle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void close_key(HKEY k) noexcept { ::RegCloseKey(k); }
inline void free_local(HLOCAL p) noexcept { ::LocalFree(p); }
inline void destroy_menu(HMENU m) noexcept { ::DestroyMenu(m); }
inline void destroy_icon(HICON i) noexcept { ::DestroyIcon(i); }
inline void destroy_image_list(HIMAGELIST l) noexcept { ::ImageList_Destroy(l); }
inline void destroy_window(HWND w) noexcept { ::DestroyWindow(w); }
inline void free_library(HMODULE m) noexcept { ::FreeLibrary(m); }
inline void free_string(BSTR s) noexcept { ::SysFreeString(s); }
inline void wipe_free_string(BSTR s) noexcept {
    ::SecureZeroMemory(s, ::SysStringByteLen(s));
    ::SysFreeString(s);
}
inline void release_context(HCRYPTPROV p) noexcept { ::CryptReleaseContext(p, 0); }
inline void destroy_key(HCRYPTKEY k) noexcept { ::CryptDestroyKey(k); }
inline void destroy_hash(HCRYPTHASH h) noexcept { ::CryptDestroyHash(h); }

struct file_handle_traits {
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type h) noexcept { ::CloseHandle(h); }
};

template <typename T, auto Close>
struct crypt_traits {
    using type = T;
    static type invalid() noexcept { return 0; }
    static void close(type value) noexcept { Close(value); }
};

using unique_handle = unique_any<handle_traits<HANDLE, close_handle>>;
using unique_hfile = unique_any<file_handle_traits>;
using unique_hkey = unique_any<handle_traits<HKEY, close_key>>;
using unique_hlocal = unique_any<handle_traits<HLOCAL, free_local>>;
using unique_hmenu = unique_any<handle_traits<HMENU, destroy_menu>>;
using unique_hicon = unique_any<handle_traits<HICON, destroy_icon>>;
using unique_himagelist = unique_any<handle_traits<HIMAGELIST, destroy_image_list>>;
using unique_hwnd = unique_any<handle_traits<HWND, destroy_window>>;
using unique_hmodule = unique_any<handle_traits<HMODULE, free_library>>;
using unique_bstr = unique_any<handle_traits<BSTR, free_string>>;
// A string that held a secret (a field's value): wiped before it is freed.
using unique_secret_bstr = unique_any<handle_traits<BSTR, wipe_free_string>>;
using unique_hcryptprov = unique_any<crypt_traits<HCRYPTPROV, release_context>>;
using unique_hcryptkey = unique_any<crypt_traits<HCRYPTKEY, destroy_key>>;
using unique_hcrypthash = unique_any<crypt_traits<HCRYPTHASH, destroy_hash>>;

// A blob the platform returned (DPAPI output), freed with LocalFree; the secure variant
// wipes its bytes first because they held clear text.
template <bool Wipe>
class basic_local_blob {
public:
    basic_local_blob() noexcept = default;
    basic_local_blob(const basic_local_blob&) = delete;
    basic_local_blob& operator=(const basic_local_blob&) = delete;
    ~basic_local_blob() { reset(); }

    DATA_BLOB* put() noexcept {
        reset();
        return &blob_;
    }
    const BYTE* data() const noexcept { return blob_.pbData; }
    DWORD size() const noexcept { return blob_.cbData; }
    void reset() noexcept {
        if (blob_.pbData) {
            if constexpr (Wipe) ::SecureZeroMemory(blob_.pbData, blob_.cbData);
            ::LocalFree(blob_.pbData);
        }
        blob_ = DATA_BLOB{};
    }

private:
    DATA_BLOB blob_{};
};
using unique_local_blob = basic_local_blob<false>;
using unique_secret_blob = basic_local_blob<true>;

// One VARIANT, cleared when it goes.
class unique_variant {
public:
    unique_variant() noexcept { ::VariantInit(&value_); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;
    ~unique_variant() { ::VariantClear(&value_); }
    VARIANT* get() noexcept { return &value_; }
    VARIANT* operator->() noexcept { return &value_; }

private:
    VARIANT value_;
};

// com_ptr: one counted reference to a COM interface.
template <typename T>
class com_ptr {
public:
    com_ptr() noexcept = default;
    com_ptr(std::nullptr_t) noexcept {}
    // Takes a new reference to p.
    explicit com_ptr(T* p) noexcept : p_(p) {
        if (p_) p_->AddRef();
    }
    com_ptr(const com_ptr& other) noexcept : com_ptr(other.p_) {}
    com_ptr(com_ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    com_ptr& operator=(const com_ptr& other) noexcept {
        com_ptr(other).swap(*this);
        return *this;
    }
    com_ptr& operator=(com_ptr&& other) noexcept {
        com_ptr(std::move(other)).swap(*this);
        return *this;
    }
    ~com_ptr() { reset(); }

    // Takes over a reference the caller already owns.
    static com_ptr attach(T* p) noexcept {
        com_ptr result;
        result.p_ = p;
        return result;
    }
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    void reset() noexcept {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }
    // Releases what is held, then hands out the address for an out parameter.
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    void swap(com_ptr& other) noexcept { std::swap(p_, other.p_); }

    // QueryInterface for U; an empty pointer answers E_POINTER.
    template <typename U>
    HRESULT query(com_ptr<U>& out) const noexcept {
        out.reset();
        if (!p_) return E_POINTER;
        return p_->QueryInterface(__uuidof(U), out.put_void());
    }
    template <typename U>
    com_ptr<U> try_query() const noexcept {
        com_ptr<U> out;
        query(out);
        return out;
    }

private:
    T* p_ = nullptr;
};

// Runs a function when the scope ends, unless released.
template <typename F>
class scope_exit {
public:
    explicit scope_exit(F f) noexcept : f_(std::move(f)) {}
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;
    ~scope_exit() {
        if (active_) f_();
    }
    void release() noexcept { active_ = false; }

private:
    F f_;
    bool active_ = true;
};

}  // namespace keyvale::win

// Flat HRESULT paths: return the first failure, never overwrite it with a later success.
#define KV_RETURN_IF_FAILED(expr)              \
    do {                                       \
        const HRESULT kv_hr_ = (expr);         \
        if (FAILED(kv_hr_)) return kv_hr_;     \
    } while (0)

#define KV_RETURN_HR_IF(hr, condition)         \
    do {                                       \
        if (condition) return (hr);            \
    } while (0)
