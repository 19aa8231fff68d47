// A progress gauge that fills black on white and writes its percentage across the middle, white where
// it lies on the filled part.
#pragma once

#include <QWidget>

namespace flash410::window {

class GaugeWidget : public QWidget {
  public:
    explicit GaugeWidget(QWidget* parent);
    void SetProgress(int progress, int maxValue);
    int Percent() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int progress_ = 0;
    int maxValue_ = 100;
};

}  // namespace flash410::window
