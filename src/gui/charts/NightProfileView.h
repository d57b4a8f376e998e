#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

#include "data/NightProfile.h"

namespace lum {

class MessageTable;

/// The night profile of each output as a picture: per output a timeline from dusk to dawn
/// whose bars are as high as the segment's power level, each labelled with its length and
/// power, the morning segment in its own colour; under it the hours lit and the energy per
/// night. Texts come from the message table when painting, so a language change shows at
/// the next repaint.
class NightProfileView : public QWidget {
  Q_OBJECT

 public:
  struct Output {
    QString caption;  // "Output 1 · On at night"
    NightProfile profile;
  };

  /// Colours of the picture: a night sky with lamp-light bars.
  static constexpr QRgb kSkyColour = 0xFF1B263B;
  static constexpr QRgb kEveningColour = 0xFFF2C14E;
  static constexpr QRgb kMorningColour = 0xFFF78E3D;
  /// Height of the timeline's bars at full power.
  static constexpr int kBarHeight = 40;

  explicit NightProfileView(QWidget* parent = nullptr);

  /// Where the texts come from; nothing is drawn before it is set.
  void SetMessages(const MessageTable* messages);

  void SetOutputs(std::vector<Output> outputs);
  const std::vector<Output>& Outputs() const { return outputs_; }

  /// The line under an output's timeline: hours lit and energy, in the language in use.
  QString SummaryText(const NightProfile& profile) const;
  /// The timeline's right end: dawn, as the night's length after dusk (not a time of day).
  QString DawnText(const NightProfile& profile) const;
  /// The label of a segment's bar: its length and power level.
  static QString SegmentLabel(const ProfileSegment& segment);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  /// Where the timeline of output i is drawn.
  QRect BarArea(int output) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int OutputHeight() const;
  void PaintOutput(QPainter& painter, int index) const;

  const MessageTable* messages_ = nullptr;
  std::vector<Output> outputs_;
};

}  // namespace lum
