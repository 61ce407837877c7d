#pragma once

#include <string>
#include <string_view>

// GBK (code page 936), the encoding of the instruments' data files, to UTF-8 and back, through
// Qt's codecs. Some Qt builds (without ICU) have no GBK codec: then gbkCodecAvailable() is false,
// and the conversions keep ASCII and turn every other byte or character into U+FFFD or '?'.

bool gbkCodecAvailable();
// The message shown when a GBK file is read by a build without the codec.
inline constexpr const char* gbkMissingMessage = "此程序缺少GBK编码转换，中文文字无法显示。";

// Bytes that do not decode become U+FFFD; characters without a GBK form become '?'.
std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);
