#pragma once

// GBK text for the tests: Qt's codec where the tests link the program's render layer, the system's code
// page 936 in the Qt-free build for Windows.
#ifdef VESPLOT_TESTS_WITHOUT_QT
#include <string>
#include <string_view>

std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);
#else
#include "render/GbkCodec.h"
#endif
