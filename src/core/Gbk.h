#pragma once

#include <string_view>

// The program stores texts as UTF-8; the text-width rules of the sheet count GBK bytes.

// Number of bytes the text takes in GBK: one for ASCII, two for a Chinese (or any other
// non-ASCII) character. Used for centring: width = bytes * font width.
int gbkByteLength(std::string_view utf8);
