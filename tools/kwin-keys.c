// Presses keys through KWin's fake input, for tools/kde.sh: each argument one combination, its
// evdev key codes joined by '+', held in turn and let go in reverse.
#include "fake-input.h"

#include <stdlib.h>
#include <string.h>
#include <wayland-client.h>

static struct org_kde_kwin_fake_input *fake;

static void announced(void *data, struct wl_registry *registry, uint32_t name,
                      const char *interface, uint32_t version) {
    (void)data;
    // Keys came with version 4.
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void withdrawn(void *data, struct wl_registry *registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

int main(int argc, char *argv[]) {
    static const struct wl_registry_listener listener = {announced, withdrawn};
    struct wl_display *display = wl_display_connect(NULL);
    if (!display)
        return 1;
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);
    if (!fake)
        return 1;
    org_kde_kwin_fake_input_authenticate(fake, "kde.sh", "keys for a test");
    for (int i = 1; i < argc; ++i) {
        int codes[8], count = 0;
        for (char *code = strtok(argv[i], "+"); code && count < 8; code = strtok(NULL, "+"))
            codes[count++] = atoi(code);
        for (int k = 0; k < count; ++k)
            org_kde_kwin_fake_input_keyboard_key(fake, codes[k], WL_KEYBOARD_KEY_STATE_PRESSED);
        for (int k = count - 1; k >= 0; --k)
            org_kde_kwin_fake_input_keyboard_key(fake, codes[k], WL_KEYBOARD_KEY_STATE_RELEASED);
        wl_display_roundtrip(display);
    }
    return 0;
}
