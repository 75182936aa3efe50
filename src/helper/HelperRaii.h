// The few owners the helper needs: a registry key, a string, a COM reference and a
// scope guard, so no path forgets a release.
#pragma once

#include "helper/HelperPrelude.h"

#include <cstddef>
#include <utility>

namespace navlatch {

// One owned value of a handle-like type, closed through Close when the owner ends.
template <typename T, auto Close>
class unique_value {
public:
    unique_value() noexcept = default;
    explicit unique_value(T value) noexcept : value_(value) {}
    unique_value(const unique_value&) = delete;
    unique_value& operator=(const unique_value&) = delete;
    unique_value(unique_value&& other) noexcept : value_(std::exchange(other.value_, T{})) {}
    unique_value& operator=(unique_value&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, T{}));
        return *this;
    }
    ~unique_value() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != T{}; }
    void reset(T value = T{}) noexcept {
        if (T old = std::exchange(value_, value); old != T{}) Close(old);
    }
    // Releases what is held, then hands out the address for an out parameter.
    T* put() noexcept {
        reset();
        return &value_;
    }

private:
    T value_{};
};

inline void CloseKey(HKEY key) noexcept { ::RegCloseKey(key); }
inline void FreeString(BSTR text) noexcept { ::SysFreeString(text); }

using unique_hkey = unique_value<HKEY, CloseKey>;
using unique_bstr = unique_value<BSTR, FreeString>;

// One counted reference to a COM interface.
template <typename T>
class com_ptr {
public:
    com_ptr() noexcept = default;
    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;
    ~com_ptr() { reset(); }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void reset() noexcept {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
    // Releases what is held, then hands out the address for an out parameter.
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

// Runs a function when the scope ends.
template <typename F>
class scope_exit {
public:
    explicit scope_exit(F f) noexcept : f_(std::move(f)) {}
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;
    ~scope_exit() { f_(); }

private:
    F f_;
};

}  // namespace navlatch

// Flat HRESULT paths: return the first failure, never overwrite it with a later success.
#define NL_RETURN_IF_FAILED(expr)          \
    do {                                   \
        const HRESULT nl_hr_ = (expr);     \
        if (FAILED(nl_hr_)) return nl_hr_; \
    } while (0)
