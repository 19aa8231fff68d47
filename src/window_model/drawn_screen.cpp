#include "window_model/drawn_screen.h"

#include <type_traits>
#include <variant>

namespace flash410::window_model {

bool DrawnScreen::Changed(const ControlDescription& control, const ScreenState& now) const {
    return std::visit(
        [&](auto field) {
            if constexpr (std::is_same_v<decltype(field), std::monostate>) {
                return false;
            } else {
                return !shown_ || now.*field != (*shown_).*field;
            }
        },
        control.Field);
}

}  // namespace flash410::window_model
