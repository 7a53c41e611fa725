// The headers every test program parses, precompiled once per test program (see
// tests/CMakeLists.txt): GoogleTest and the standard library's most used ones. Test
// files still include what they use. Qt's headers stay out: they would make `slots`
// and `signals` keywords in every file of a program, and a test may use them as names.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>
