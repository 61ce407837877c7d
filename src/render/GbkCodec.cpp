#include "GbkCodec.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

bool gbkCodecAvailable() {
    static const bool available = QStringDecoder("GBK").isValid() && QStringEncoder("GBK").isValid();
    return available;
}

std::string gbkToUtf8(std::string_view gbk) {
    QStringDecoder decoder("GBK");
    if (!decoder.isValid()) {
        std::string out;
        for (unsigned char c : gbk)
            out += c < 0x80 ? std::string(1, static_cast<char>(c)) : std::string("\xEF\xBF\xBD");
        return out;
    }
    QString text = decoder(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
    return text.toStdString();
}

std::string utf8ToGbk(std::string_view utf8) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QStringEncoder encoder("GBK");
    if (!encoder.isValid()) {
        std::string out;
        for (QChar c : text)
            out += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '?';
        return out;
    }
    QByteArray bytes = encoder(text);
    return bytes.toStdString();
}
