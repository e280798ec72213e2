#include "app/session/window_created.h"

#include "app/settings/settings_file.h"
#include "app/session/window_title.h"

namespace velmora {

Text on_window_created(const ApiContext& context, const Text& settings_path) {
    context.controls.set_window_title(window_title_now(context.endpoints));
    return load_settings(context.controls, settings_path);
}

}  // namespace velmora
