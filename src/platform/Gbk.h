#pragma once

#include <string>
#include <string_view>

// The program stores texts as UTF-8; the data files and the text-width rules of the sheet are GBK.

// Number of bytes the text takes in GBK: one for ASCII, two for a Chinese (or any other
// non-ASCII) character. Used for centring: width = bytes * font width.
int gbkByteLength(std::string_view utf8);

// GBK bytes to UTF-8 and back. Bytes that do not decode become U+FFFD; characters without a GBK
// form become '?'.
std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);
