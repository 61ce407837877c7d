// GBK for the Qt-free tests on Windows: the system's conversions for code page 936 (GBK).
#include "TestGbk.h"

#include <windows.h>

namespace {

constexpr UINT gbkCodePage = 936;

std::wstring wideOf(std::string_view text, UINT codePage) {
    const int count =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), count);
    return wide;
}

std::string bytesOf(const std::wstring& wide, UINT codePage) {
    const int count = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), count, nullptr,
                        nullptr);
    return bytes;
}

} // namespace

std::string gbkToUtf8(std::string_view gbk) {
    return bytesOf(wideOf(gbk, gbkCodePage), CP_UTF8);
}

std::string utf8ToGbk(std::string_view utf8) {
    return bytesOf(wideOf(utf8, CP_UTF8), gbkCodePage);
}
