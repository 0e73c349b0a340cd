#pragma once

// The process-wide settings of the kelvo program: its name (the caption of its plain messages), the
// desktop entry it belongs to ("kelvo") and its icon. No display name is set: X11 and Wayland would append
// it to every window title.
void SetUpApplication();
