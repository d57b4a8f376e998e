#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>
#include <memory>

namespace Ui {
class TFormAboutLUM;
}

namespace lum {

class LanguageMenu;
class TFormLUM;

/// The about box: product name, version and build date, the maker and its web address.
/// Created last of the three windows, it runs the language start-up for all of them and
/// completes the main window's caption with the file version.
class TFormAboutLUM : public QDialog {
 public:
  static constexpr char kProductName[] = "Lumaris\rWorkbench";
  static constexpr char kBuildDate[] = "Jul 28, 2016";

  /// Joins `languages`' windows and runs FormCreate.
  TFormAboutLUM(TFormLUM& mainWindow, LanguageMenu& languages);
  ~TFormAboutLUM() override;

  Ui::TFormAboutLUM& ui() { return *ui_; }
  /// The maker's web address that LabelDomain opens.
  static QUrl DomainUrl();
  /// "Edition v" + version + "\r" + "Build on " + the build date.
  static QString VersionText(const QString& version);

  void FormCreate();
  void ButtonOKClick();
  void LabelDomainClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::unique_ptr<Ui::TFormAboutLUM> ui_;
  TFormLUM& main_;
  LanguageMenu& languages_;
};

}  // namespace lum
