#include "Gbk.h"

int gbkByteLength(std::string_view utf8) {
    int bytes = 0;
    for (unsigned char c : utf8) {
        if (c < 0x80)
            bytes += 1;
        else if ((c & 0xC0) != 0x80)
            bytes += 2; // the lead byte of a non-ASCII character
    }
    return bytes;
}
