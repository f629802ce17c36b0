#pragma once

#include <QString>
#include <string>
#include <string_view>

// The system's texts are GBK bytes; the window shows and takes Unicode. These two are the only
// crossings. Encoding uses GB18030, the superset of GBK that agrees with it byte for byte on every
// GBK character and holds every other Unicode character too, so no typed character is lost.
namespace lomarind {

QString decode_gbk(std::string_view bytes);
std::string encode_gbk(const QString& text);

} // namespace lomarind
