#pragma once

#include "results/journals.h"

#include <cstdint>

namespace lomarind {

// The process-wide record. Zero at start and never reset.
struct AppState {
    Journals journals;
    std::int32_t new_row_index = 0; // the last row appended, set by the handlers that append
    std::int32_t export_done = 0;   // 1 after the first successful export, never back
};

// Releases the journals at the end of the process. The caller has stopped and joined the worker.
void exit_cleanup(AppState& state);

} // namespace lomarind
