// Notifying event listeners: each object of one list gets an HSEvent call with one
// argument, a Variant holding a zero-based array of texts.
#pragma once

#include "HostState.h"

#include <initializer_list>
#include <string_view>

namespace host {

// Calls HSEvent on every listener of list `which` (kLogListeners ...), in registration
// order. A listener that fails, or has no HSEvent, is skipped; the failure is dropped.
// Listeners registered during the notification are called too.
void notifyListeners(HostState& state, int which, std::initializer_list<std::string_view> texts);

// Calls HSEvent on one listener; a failure is skipped and dropped.
void callListener(const vb::Ref<vb::Object>& listener, const vb::Variant& array);

// The argument HSEvent receives: a zero-based array of Variant texts.
vb::Variant eventArray(std::initializer_list<std::string_view> texts);

} // namespace host
