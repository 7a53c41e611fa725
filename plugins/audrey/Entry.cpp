// The library's entry points: the class "hspi_Audrey.hspi".
#include "AudreyPlugin.h"

#include <tallis/PluginApi.h>

#include "automation/TextCompare.h"

TALLIS_PLUGIN_ENTRY(
    if (vb::equalsIgnoreCase(name, "hspi_Audrey.hspi"))
        return new audrey::AudreyPlugin;)
