// The VB error number a piece of code raises (0 when it raises none).
#pragma once

#include "automation/Error.h"

namespace testing_support {

template <class Fn>
int errorOf(Fn&& fn)
{
    try {
        fn();
    } catch (const vb::Error& e) {
        return e.number();
    }
    return 0;
}

} // namespace testing_support
