// Shared between the screen and keyboard halves of the module: the keyboard
// may only be opened while a screen is.
#pragma once

namespace screen_detail {

bool screen_is_open();

}  // namespace screen_detail
