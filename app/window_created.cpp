#include "app/window_created.h"

#include "app/settings_file.h"
#include "app/window_title.h"
#include "update/address_discovery.h"

namespace velmora {

void on_window_created(const ApiContext& context, const Text& settings_path) {
    context.controls.set_window_title(
        window_title_for_address(discover_public_address(context.endpoints)));
    load_settings(context.controls, settings_path);
}

}  // namespace velmora
