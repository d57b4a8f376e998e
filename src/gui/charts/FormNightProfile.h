#pragma once

#include <QWidget>
#include <memory>

#include "data/NightProfile.h"

namespace Ui {
class TFormNightProfile;
}

namespace lum {

class NightProfileView;
class TFormLUM;

/// The night profile of the entry on the load page, as a picture in a small window beside the
/// main window (Tools menu), so that no designed control of the page moves. It follows every
/// edit of the load page at once: the shown output as the page holds it, the others as the
/// entry holds them.
class TFormNightProfile : public QWidget {
  Q_OBJECT

 public:
  explicit TFormNightProfile(TFormLUM& mainWindow);
  ~TFormNightProfile() override;

  NightProfileView& View();
  void actNightProfileExecute();
  /// Recomputes the outputs from the main window's load page and entry.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::unique_ptr<Ui::TFormNightProfile> ui_;
  TFormLUM& main_;
  bool placed_ = false;
};

}  // namespace lum
