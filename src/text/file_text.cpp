#include "text/file_text.h"

#include "text/gbk.h"

#include <QStringDecoder>
#include <algorithm>
#include <new>

namespace lomarind {
namespace {

constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";
constexpr std::string_view UTF16LE_MARK = "\xFF\xFE";
constexpr std::string_view UTF16BE_MARK = "\xFE\xFF";

bool is_utf16(std::string_view bytes) {
    return bytes.starts_with(UTF16LE_MARK) || bytes.starts_with(UTF16BE_MARK);
}

std::string from_unicode(std::string_view bytes, QStringConverter::Encoding encoding) {
    // The mark is already gone; a second one is a character of the text.
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless |
                                         QStringDecoder::Flag::ConvertInitialBom);
    const QString text =
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return encode_gbk(text);
}

} // namespace

std::size_t text_end(std::string_view bytes, std::size_t from) {
    if (is_utf16(bytes)) {
        for (std::size_t i = std::max<std::size_t>(2, from & ~std::size_t{1}); i + 1 < bytes.size();
             i += 2)
            if (bytes[i] == '\0' && bytes[i + 1] == '\0')
                return i;
        return std::string_view::npos;
    }
    // The mark can only be told once two bytes are there: look at the first ones again.
    return bytes.find('\0', from < 2 ? 0 : from);
}

namespace {

bool is_utf8_text(std::string_view bytes) {
    bool multi_byte = false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF; // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0; // overlong below
            else if (c == 0xED)
                high = 0x9F; // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F; // beyond U+10FFFF
        } else {
            return false;
        }
        if (static_cast<std::size_t>(end - p) < length || p[1] < low || p[1] > high)
            return false;
        for (std::size_t k = 2; k < length; ++k)
            if (p[k] < 0x80 || p[k] > 0xBF)
                return false;
        p += length;
        multi_byte = true;
    }
    return multi_byte;
}

} // namespace

std::string file_text(std::string bytes) try {
    if (is_utf16(bytes)) {
        const std::size_t end = text_end(bytes);
        const std::string_view text =
            std::string_view(bytes).substr(2, end == std::string_view::npos ? end : end - 2);
        return from_unicode(text, bytes[0] == '\xFF' ? QStringConverter::Utf16LE
                                                     : QStringConverter::Utf16BE);
    }
    const std::size_t end = text_end(bytes);
    if (end != std::string_view::npos)
        bytes.resize(end);
    if (bytes.starts_with(UTF8_MARK))
        return from_unicode(std::string_view(bytes).substr(UTF8_MARK.size()),
                            QStringConverter::Utf8);
    if (is_utf8_text(bytes))
        return from_unicode(bytes, QStringConverter::Utf8);
    return bytes;
} catch (const std::bad_alloc&) {
    return {};
}

} // namespace lomarind
