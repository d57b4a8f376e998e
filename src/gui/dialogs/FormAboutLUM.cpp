#include "FormAboutLUM.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPixmap>

#include "FormLUM.h"
#include "LanguageMenu.h"
#include "VersionInfo.h"
#include "language/LanguageKeys.h"
#include "ui_FormAboutLUM.h"

// The logo lives in the GUI library; a static library needs its resources registered.
static void RegisterAboutResources() { Q_INIT_RESOURCE(AboutLUM); }

namespace lum {

namespace {
constexpr char kDomain[] = "http://www.quorvane.example/";
constexpr QSize kClientSize(300, 186);
constexpr char kLogoResource[] = ":/about/AboutLogo.jpg";

// The texts carry a carriage return as their line break, which a label would show as a blank.
QString ShownLines(QString text) { return text.replace(QLatin1Char('\r'), QLatin1Char('\n')); }
}  // namespace

TFormAboutLUM::TFormAboutLUM(TFormLUM& mainWindow, LanguageMenu& languages)
    : QDialog(&mainWindow), ui_(std::make_unique<Ui::TFormAboutLUM>()), main_(mainWindow), languages_(languages) {
  RegisterAboutResources();
  ui_->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(kClientSize);
  connect(ui_->ButtonOK, &QPushButton::clicked, this, [this] { ButtonOKClick(); });
  ui_->LabelDomain->installEventFilter(this);
  // The design's blue link can't be read on a dark theme's background: a light blue there.
  constexpr int kDarkBelow = 128;
  if (palette().color(QPalette::Window).lightness() < kDarkBelow)
    ui_->LabelDomain->setStyleSheet(QStringLiteral("color: #8ab4f8; text-decoration: underline;"));
  languages_.AddWindow(this);
  FormCreate();
}

TFormAboutLUM::~TFormAboutLUM() = default;

QUrl TFormAboutLUM::DomainUrl() { return QUrl(QString::fromLatin1(kDomain)); }

QString TFormAboutLUM::VersionText(const QString& version) {
  return QStringLiteral("Edition v") + version + QLatin1Char('\r') + QStringLiteral("Build on ") +
         QString::fromLatin1(kBuildDate);
}

void TFormAboutLUM::FormCreate() {
  main_.RunGuarded([this] {
    EnsureLanguageFile(main_.WorkDir(), main_.DefaultLanguageFile());
    languages_.LoadLanguageList();
    ui_->LabelProductName->setText(ShownLines(QString::fromLatin1(kProductName)));
    ui_->LabelVersion->setText(ShownLines(VersionText(QString::fromLatin1(version::kFileVersion))));
    main_.setWindowTitle(main_.windowTitle() + QLatin1Char(' ') + QString::fromLatin1(version::kFileVersion));
  });
}

void TFormAboutLUM::ButtonOKClick() { accept(); }

void TFormAboutLUM::LabelDomainClick() { QDesktopServices::openUrl(DomainUrl()); }

void TFormAboutLUM::showEvent(QShowEvent* event) {
  // Decoded when first seen rather than at the program's start.
  if (ui_->ImageLogo->pixmap().isNull()) ui_->ImageLogo->setPixmap(QPixmap(QString::fromLatin1(kLogoResource)));
  QDialog::showEvent(event);
}

bool TFormAboutLUM::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_->LabelDomain && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    LabelDomainClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace lum
