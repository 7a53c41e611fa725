#include "Listeners.h"

#include "automation/Array.h"

#include <algorithm>
#include <vector>

namespace host {

vb::Variant eventArray(std::initializer_list<std::string_view> texts)
{
    std::vector<vb::Variant> values;
    values.reserve(texts.size());
    for (std::string_view text : texts)
        values.emplace_back(text);
    return vb::Variant(vb::Array::fromValues(std::move(values)));
}

void notifyListeners(HostState& state, int which, std::initializer_list<std::string_view> texts)
{
    const std::vector<vb::Ref<vb::Object>>& listeners = state.eventListeners[static_cast<std::size_t>(which)];
    if (listeners.empty())
        return;
    const vb::Variant array = eventArray(texts);
    // By index: a listener may register further listeners while it is being called.
    for (std::size_t i = 0; i < listeners.size(); ++i) {
        const vb::Ref<vb::Object> listener = listeners[i];
        callListener(listener, array);
    }
    vb::clearCurrentFailure();
}

void forgetPluginListeners(HostState& state, const vb::Object* previousPlugin)
{
    auto registeredByPlugin = [&](const vb::Ref<vb::Object>& listener) {
        const vb::Object* object = listener.get();
        return (previousPlugin && object == previousPlugin)
            || std::find(state.pluginListeners.begin(), state.pluginListeners.end(), object) != state.pluginListeners.end();
    };
    for (auto& list : state.eventListeners)
        std::erase_if(list, registeredByPlugin);
    state.pluginListeners.clear();
}

void callListener(const vb::Ref<vb::Object>& listener, const vb::Variant& array)
{
    vb::ignoreErrors([&] {
        if (!listener)
            vb::raiseError(vb::err::ObjectVariableNotSet);
        // Each listener gets its own copy; arrays copy on write, so this costs nothing
        // unless the listener changes it.
        vb::ArgPack<1> args(array);
        listener->invoke("HSEvent", vb::Method, args.args());
    });
}

} // namespace host
