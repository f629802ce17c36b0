#include "ui/app_state.h"

namespace lomarind {

void exit_cleanup(AppState& state) {
    state.journals.release();
}

} // namespace lomarind
