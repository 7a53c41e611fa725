// tallis-bus-policy: prints the system bus policy of the automation interface,
// generated from the members' access notes.
#include "AutomationServiceMembers.h"

#include <cstdio>

int main()
{
    const std::string policy = shell::automationBusPolicy();
    std::fwrite(policy.data(), 1, policy.size(), stdout);
    return 0;
}
