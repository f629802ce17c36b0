#pragma once

#include "results/journals.h"

#include <string>
#include <string_view>

namespace lomarind {

// 以下是已经被收录的网址：
inline constexpr std::string_view HEADING_INDEXED =
    "\xD2\xD4\xCF\xC2\xCA\xC7\xD2\xD1\xBE\xAD\xB1\xBB"
    "\xCA\xD5\xC2\xBC\xB5\xC4\xCD\xF8\xD6\xB7\xA3\xBA";
// 所有网址收录情况如下：
inline constexpr std::string_view HEADING_ALL = "\xCB\xF9\xD3\xD0\xCD\xF8\xD6\xB7\xCA\xD5\xC2"
                                                "\xBC\xC7\xE9\xBF\xF6\xC8\xE7\xCF\xC2\xA3\xBA";
// 以下网址尚未被收录：
inline constexpr std::string_view HEADING_NOT_INDEXED = "\xD2\xD4\xCF\xC2\xCD\xF8\xD6\xB7\xC9\xD0"
                                                        "\xCE\xB4\xB1\xBB\xCA\xD5\xC2\xBC\xA3\xBA";

struct ExportKind {
    JournalKind journal;
    std::string_view heading;
};

// Puts the heading line in front of the journal unless it has its heading already, and takes the
// journal's bytes as they are now, both under the journals' lock. The bytes are written out
// after the lock is released; lines appended meanwhile belong to the next export.
JournalSnapshot journal_for_export(Journals& journals, const ExportKind& kind);

} // namespace lomarind
