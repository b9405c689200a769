// Owning pointer to a COM interface: releases it once, on reset or destruction. Copies add a
// reference.
#pragma once

#include <unknwn.h>

#include <utility>

namespace velmora {

template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    // Takes over a reference the caller already holds.
    static ComPtr Adopt(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: releases the current pointer first.
    T** Put() {
        Reset();
        return &p_;
    }
    // For QueryInterface-style out parameters.
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  private:
    T* p_ = nullptr;
};

}  // namespace velmora
