#include "results/journal_export.h"

namespace lomarind {

std::string journal_for_export(Journals& journals, const ExportKind& kind) {
    std::string heading_line(kind.heading);
    heading_line += "\r\n";
    return journals.with_journal(kind.journal, [&](std::string& journal) {
        if (!std::string_view(journal).starts_with(heading_line))
            journal.insert(0, heading_line);
        return journal;
    });
}

} // namespace lomarind
