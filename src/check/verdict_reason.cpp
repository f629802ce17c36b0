#include "check/verdict_reason.h"

namespace lomarind {
namespace {

QString from_detail(std::string_view detail) {
    return QString::fromUtf8(detail.data(), static_cast<qsizetype>(detail.size()));
}

} // namespace

QString reason_label(VerdictReason reason, std::string_view detail) {
    switch (reason) {
    case VerdictReason::None:
        break;
    case VerdictReason::ResultsShown:
        return QStringLiteral("有搜索结果");
    case VerdictReason::NoResults:
        return QStringLiteral("无搜索结果");
    case VerdictReason::Verification:
        return QStringLiteral("安全验证");
    case VerdictReason::HttpStatus:
        return QStringLiteral("HTTP ") + from_detail(detail);
    case VerdictReason::ForeignRedirect:
        return QStringLiteral("转到其他网站");
    case VerdictReason::NameLookupFailed:
        return QStringLiteral("无法连接：域名解析失败");
    case VerdictReason::ConnectionRefused:
        return QStringLiteral("无法连接：连接被拒绝");
    case VerdictReason::TlsFailed:
        return QStringLiteral("无法连接：安全连接失败");
    case VerdictReason::ConnectFailed:
        return QStringLiteral("无法连接");
    case VerdictReason::TimedOut:
        return QStringLiteral("应答超时");
    case VerdictReason::CutShort:
        return QStringLiteral("应答不完整");
    case VerdictReason::RedirectLoop:
        return QStringLiteral("重定向过多");
    case VerdictReason::NotResultPage:
        return QStringLiteral("不是搜索结果页");
    case VerdictReason::AddressTooLong:
        return QStringLiteral("网址过长");
    case VerdictReason::RequestFailed:
        return QStringLiteral("请求失败");
    }
    return {};
}

QString reason_tooltip(VerdictReason reason, std::string_view detail) {
    QString text = reason_label(reason, detail);
    if (detail.empty())
        return text;
    switch (reason) {
    case VerdictReason::ResultsShown:
        return text + QStringLiteral("\n首条结果：") + from_detail(detail);
    case VerdictReason::Verification:
    case VerdictReason::ForeignRedirect:
        return text + QStringLiteral("：") + from_detail(detail);
    default:
        return text;
    }
}

std::string_view clip_utf8(std::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return text.substr(0, n);
}

std::string_view clip_detail(std::string_view text) {
    return clip_utf8(text, MAX_REASON_DETAIL);
}

} // namespace lomarind
