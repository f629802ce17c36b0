// The import door: any bytes a user's file may hold, through the import exactly as the program runs
// it (text encoding, zero cut, lines, dot test, one batch appended to a real list), checked against
// a plain reference split written here.
#include "fuzz_check.h"
#include "text/file_text.h"
#include "text/gbk.h"
#include "urls/url_lines.h"
#include "urls/url_list.h"

#include <QStringDecoder>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace lomarind;

namespace {

using Rows = std::vector<std::string>;

std::string_view before_zero(std::string_view bytes) {
    return bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
}

// Lines end at LF, with a CR just before it; an unfinished last line counts unless empty; only
// dotted lines are URLs.
Rows reference_split(std::string_view text) {
    Rows rows;
    std::string line;
    bool open = false;
    const auto finish = [&] {
        if (line.find('.') != std::string::npos)
            rows.push_back(line);
        line.clear();
        open = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            finish();
        } else {
            line += text[i];
            open = true;
        }
    }
    if (open)
        finish();
    return rows;
}

bool has_mark(std::string_view bytes) {
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
           bytes.starts_with("\xFE\xFF");
}

// Valid UTF-8 by code point: shortest form, no surrogate, nothing past U+10FFFF; and at least one
// character of more than one byte (plain ASCII reads the same in every encoding).
bool is_multibyte_utf8(std::string_view text) {
    bool multibyte = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int length = b < 0x80 ? 1 : b >> 5 == 6 ? 2 : b >> 4 == 14 ? 3 : b >> 3 == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        char32_t c = length == 1 ? b : b & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if (t >> 6 != 2)
                return false;
            c = c << 6 | (t & 0x3F);
        }
        constexpr char32_t SHORTEST[] = {0, 0, 0x80, 0x800, 0x10000};
        if (length > 1 && (c < SHORTEST[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF))
            return false;
        multibyte = multibyte || length > 1;
        i += length;
    }
    return multibyte;
}

Rows import_rows(UrlList& list, std::optional<std::int32_t>& last, std::string_view bytes) {
    const std::int32_t before = list.row_count();
    last = import_url_bytes(list, std::string(bytes));
    Rows rows;
    for (std::int32_t r = before; r < list.row_count(); ++r) {
        FUZZ_CHECK(list.cell_text(r, COLUMN_NUMBER) == std::to_string(r + 1),
                   "rows are numbered by their position");
        rows.push_back(list.cell_text(r, COLUMN_URL));
    }
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::begin_input(data, size);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    UrlList list;
    std::optional<std::int32_t> last;
    const Rows rows = import_rows(list, last, bytes);
    for (const std::string& row : rows) {
        FUZZ_CHECK(row.find('.') != std::string::npos, "every row holds a dot");
        FUZZ_CHECK(row.find('\n') == std::string::npos, "no row holds a line end");
        FUZZ_CHECK(row.find('\0') == std::string::npos, "no row holds a zero byte");
    }
    // The rows are the dotted lines of the file's text, in file order.
    FUZZ_CHECK(rows == reference_split(file_text(std::string(bytes))),
               "rows are the dotted lines of the text, in file order");
    FUZZ_CHECK(import_rows(list, last, bytes) == rows, "the same bytes give the same rows twice");
    FUZZ_CHECK(rows.empty() ? !last : last == list.row_count() - 1,
               "the last appended row is the last row");

    const std::string_view text = before_zero(bytes);
    if (!has_mark(bytes) && !is_multibyte_utf8(text)) {
        // GBK (valid or not): the bytes as they stand.
        FUZZ_CHECK(rows == reference_split(text), "a GBK file gives its lines byte for byte");
    } else if (!has_mark(bytes)) {
        // UTF-8 without a mark: each line in GBK (GB18030 for what GBK lacks).
        Rows expected;
        for (const std::string& line : reference_split(text)) {
            // A mark that begins a line is a character of the text (U+FEFF), not a mark.
            QStringDecoder utf8(QStringConverter::Utf8,
                                QStringDecoder::Flag::Stateless |
                                    QStringDecoder::Flag::ConvertInitialBom);
            expected.push_back(
                encode_gbk(utf8.decode(QByteArrayView(line.data(), std::ssize(line)))));
        }
        FUZZ_CHECK(rows == expected, "a UTF-8 file gives its lines in GBK");
    }
    return 0;
}
