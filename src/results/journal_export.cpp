#include "results/journal_export.h"

namespace lomarind {

JournalSnapshot journal_for_export(Journals& journals, const ExportKind& kind) {
    std::string heading_line(kind.heading);
    heading_line += "\r\n";
    return journals.snapshot(kind.journal, heading_line);
}

} // namespace lomarind
