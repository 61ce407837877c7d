#include "Gbk.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

int gbkByteLength(std::string_view utf8)
{
    int bytes = 0;
    for (unsigned char c : utf8) {
        if (c < 0x80)
            bytes += 1;
        else if ((c & 0xC0) != 0x80)
            bytes += 2; // the lead byte of a non-ASCII character
    }
    return bytes;
}

std::string gbkToUtf8(std::string_view gbk)
{
    QStringDecoder decoder("GBK");
    QString text = decoder(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
    return text.toStdString();
}

std::string utf8ToGbk(std::string_view utf8)
{
    QStringEncoder encoder("GBK");
    QByteArray bytes = encoder(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    return bytes.toStdString();
}
