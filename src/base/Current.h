// The current object of a type: the one the code below the program's instance reaches
// when nobody hands it one. An instance makes its own object current for its lifetime
// with a Scope; a process that makes none current (tools, most tests) gets a default
// object, made on first use and destroyed when the process ends.
//
// When T has a static member `madeDefault(T&)`, it is called once on the default object
// right after it is made (the program state registers its at-exit log flush there).
// The pointer is not guarded: scopes are made and ended on the thread that runs the
// program, before other threads read it and after they stop.
#pragma once

#include <utility>

namespace tallis {

template <class T>
class Current {
public:
    // The current object: the innermost live Scope's, else the default one.
    static T& get() { return current_ ? *current_ : fallback(); }

    // Makes `object` current for the scope's lifetime, then the previous one again.
    // Scopes nest and end in the reverse order of their making.
    class Scope {
    public:
        explicit Scope(T& object)
            : previous_(std::exchange(current_, &object))
        {
        }
        ~Scope() { current_ = previous_; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        T* previous_;
    };

private:
    static T& fallback()
    {
        static T object;
        if constexpr (requires { T::madeDefault(object); }) {
            static const bool prepared = (T::madeDefault(object), true);
            (void)prepared;
        }
        return object;
    }

    static inline T* current_ = nullptr;
};

} // namespace tallis
