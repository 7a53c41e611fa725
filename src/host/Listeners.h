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

// Removes from every list the listeners the hosted plug-in registered and the plug-in
// object itself (when a new instance replaces it), so that the old instance neither
// receives events nor is kept alive by them.
void forgetPluginListeners(HostState& state, const vb::Object* previousPlugin);

// The argument HSEvent receives: a zero-based array of Variant texts.
vb::Variant eventArray(std::initializer_list<std::string_view> texts);

} // namespace host
