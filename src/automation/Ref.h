// Intrusive reference counting for automation objects.
//
// Objects of the object model live as long as something holds a reference, and die
// the moment the last reference goes (VB's Class_Terminate relies on that). Everything
// runs on the program's one user-interface thread, so the count is not atomic.
#pragma once

#include "base/Assert.h"

#include <cstddef>
#include <type_traits>
#include <utility>

namespace vb {

class RefCounted {
public:
    RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;
    virtual ~RefCounted() = default;

    void addRef() const noexcept { ++refCount_; }
    void release() const noexcept
    {
        TALLIS_ASSERT(refCount_ > 0); // every release pairs with an earlier addRef
        if (--refCount_ == 0)
            delete this;
    }
    int refCount() const noexcept { return refCount_; }

private:
    mutable int refCount_ = 0;
};

// A strong reference. Null is a valid state ("Nothing").
template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept { }
    Ref(T* p) noexcept : ptr_(p)
    {
        if (ptr_)
            ptr_->addRef();
    }
    Ref(const Ref& other) noexcept : Ref(other.ptr_) { }
    Ref(Ref&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) { }
    template <class U>
        requires std::is_convertible_v<U*, T*>
    Ref(const Ref<U>& other) noexcept : Ref(static_cast<T*>(other.get())) { }
    ~Ref()
    {
        if (ptr_)
            ptr_->release();
    }

    Ref& operator=(Ref other) noexcept
    {
        std::swap(ptr_, other.ptr_);
        return *this;
    }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    T& operator*() const noexcept { return *ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }
    void reset() noexcept { Ref().swap(*this); }
    void swap(Ref& other) noexcept { std::swap(ptr_, other.ptr_); }

    friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.ptr_ == b.ptr_; }

private:
    T* ptr_ = nullptr;
};

template <class T, class... A>
Ref<T> make(A&&... args)
{
    return Ref<T>(new T(std::forward<A>(args)...));
}

} // namespace vb
