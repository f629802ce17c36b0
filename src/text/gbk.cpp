#include "text/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace lomarind {
namespace {

constexpr const char* kCodec = "GB18030";

bool is_ascii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

QString decode_gbk(std::string_view bytes) {
    if (is_ascii(bytes))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder decoder(kCodec, QStringDecoder::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string encode_gbk(const QString& text) {
    QStringEncoder encoder(kCodec, QStringEncoder::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace lomarind
