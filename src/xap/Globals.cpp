#include "Globals.h"

namespace xap {

std::string MachineName;
std::string BaseFolder;
std::string ProgramPath;
std::string InterfaceSetting;
std::string BroadcastSetting;

std::string XapSource;
std::string XapUID;
std::string XapTarget;
std::string XapClass;
std::string HeaderPrefix;
bool XapReady = false;
bool StartupComplete = false;

} // namespace xap
