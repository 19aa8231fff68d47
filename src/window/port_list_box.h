// The port list: a drop-down list that says when the operator opens it, so that the window can look up
// again what is behind the ports before they are picked from.
#pragma once

#include <QComboBox>
#include <functional>

namespace flash410::window {

class PortListBox : public QComboBox {
  public:
    using QComboBox::QComboBox;

    std::function<void()> OnOpening;

    void showPopup() override {
        if (OnOpening) {
            OnOpening();
        }
        QComboBox::showPopup();
    }
};

}  // namespace flash410::window
