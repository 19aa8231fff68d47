#include "window_model/screen_state.h"

#include <type_traits>
#include <variant>

#include "window_model/window_layout.h"

namespace flash410::window_model {

void ListState::SelectText(const std::string& text) {
    ItemIndex = -1;
    for (std::size_t i = 0; i < Items.size(); ++i) {
        if (Items[i] == text) {
            ItemIndex = static_cast<int>(i);
            return;
        }
    }
}

ScreenState DesignedScreen() {
    ScreenState screen;
    for (const ControlDescription& control : MainWindowControls()) {
        std::visit(
            [&](auto field) {
                using Field = decltype(field);
                if constexpr (std::is_same_v<Field, LabelField>) {
                    screen.*field = {control.Text, control.Shown, control.Color, control.PointSize};
                } else if constexpr (std::is_same_v<Field, ButtonField>) {
                    screen.*field = {control.Text, control.Shown};
                } else if constexpr (std::is_same_v<Field, PanelField>) {
                    screen.*field = {control.Text, control.Shown};
                } else if constexpr (std::is_same_v<Field, ListField>) {
                    screen.*field = {control.Items, -1};
                } else if constexpr (std::is_same_v<Field, GaugeField>) {
                    (screen.*field).Visible = control.Shown;
                }
            },
            control.Field);
    }
    return screen;
}

}  // namespace flash410::window_model
