#include "storage/codepage.h"

#include <array>
#include <iconv.h>

namespace {

// A single-byte code page as a table of its 128 upper characters, read once from iconv.
struct TCodePage {
    std::array<char16_t, 128> upper{};
    explicit TCodePage(const char* name) {
        iconv_t cd = iconv_open("UTF-16LE", name);
        for (int b = 0; b < 128; ++b) {
            char in = static_cast<char>(0x80 + b);
            char out[8] = {};
            char* pin = &in;
            char* pout = out;
            size_t inLeft = 1, outLeft = sizeof out;
            char16_t c = u'?';
            if (cd != reinterpret_cast<iconv_t>(-1) &&
                iconv(cd, &pin, &inLeft, &pout, &outLeft) != static_cast<size_t>(-1) &&
                outLeft == sizeof out - 2)
                c = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                          (static_cast<unsigned char>(out[1]) << 8));
            upper[b] = c;
        }
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
    QString Decode(const QByteArray& bytes) const {
        QString s(bytes.size(), Qt::Uninitialized);
        QChar* d = s.data();
        for (char ch : bytes) {
            const unsigned char b = static_cast<unsigned char>(ch);
            *d++ = b < 0x80 ? QChar(b) : QChar(upper[b - 0x80]);
        }
        return s;
    }
    QByteArray Encode(const QString& text) const {
        QByteArray out;
        out.reserve(text.size());
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x80) {
                out.append(static_cast<char>(u));
                continue;
            }
            char b = '?';
            for (int i = 0; i < 128; ++i)
                if (upper[i] == u) {
                    b = static_cast<char>(0x80 + i);
                    break;
                }
            out.append(b);
        }
        return out;
    }
};

const TCodePage& Cp1251() {
    static const TCodePage page("CP1251");
    return page;
}
const TCodePage& Cp866() {
    static const TCodePage page("CP866");
    return page;
}

} // namespace

QString FromCp1251(const QByteArray& bytes) {
    return Cp1251().Decode(bytes);
}
QByteArray ToCp1251(const QString& text) {
    return Cp1251().Encode(text);
}
QString FromCp866(const QByteArray& bytes) {
    return Cp866().Decode(bytes);
}
QByteArray ToCp866(const QString& text) {
    return Cp866().Encode(text);
}
