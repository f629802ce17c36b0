#pragma once

namespace lomarind {

struct AppContext;

// A left double-click in the list: the engine's result page for the selected row's URL.
void list_double_clicked(AppContext& ctx);

// The right button going down in the list, before the list moves its selection: the URL of the
// row selected until now.
void list_right_pressed(AppContext& ctx);

} // namespace lomarind
