#include "FormFirmwareUpgrade.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

#include "DevicePage.h"
#include "FixedColours.h"
#include "FormLUM.h"
#include "ImageLists.h"
#include "InputGuards.h"
#include "PortList.h"
#include "base/Clock.h"
#include "language/MessageSlots.h"
#include "ui_FormFirmwareUpgrade.h"
#include "ui_FormLUM.h"
#include "upgrade/EffFile.h"

namespace lum {

namespace {
// Both spellings: file names on this system are case-sensitive.
constexpr char kEffPatterns[] = "*.eff *.EFF";
const QString kEffSuffix = QStringLiteral("eff");
constexpr QColor kMemoColour(255, 208, 208);
constexpr QColor kGaugeBarColour(0, 0, 128);  // navy
constexpr int kOpenPicture = 2;
constexpr int kUpgradePicture = 8;

void SetBase(QWidget& widget, const QColor& base) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Base, base);
  widget.setPalette(palette);
}

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

TFormFirmwareUpgrade::TFormFirmwareUpgrade(TFormLUM& mainWindow)
    : QDialog(&mainWindow),
      ui_(std::make_unique<Ui::TFormFirmwareUpgrade>()),
      main_(mainWindow),
      content_(std::make_unique<EffContent>()),
      session_(std::make_unique<DeviceSession>(PortMap{}, mainWindow.Observer())) {
  // A window does not inherit its parent's font; set before the form's widgets are made, so that
  // they are made with it rather than all changed after.
  setFont(main_.font());
  ui_->setupUi(this);
  session_->SetWake([this] {
    QMetaObject::invokeMethod(
        this, [this] { main_.RunGuarded([this] { session_->DrainEvents(); }); }, Qt::QueuedConnection);
  });
  // A fixed border with only the close box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  ApplyLook();
  WheelOnlyWithFocus(*this);
  main_.Bind(
      ui_->btnOpenEffFile, &QPushButton::clicked, [this] { btnOpenEffFileClick(); }, this);
  main_.Bind(
      ui_->btnUpgrade, &QPushButton::clicked, [this] { btnUpgradeClick(); }, this);
  main_.RunGuarded([this] { FormCreate(); });
}

TFormFirmwareUpgrade::~TFormFirmwareUpgrade() {
  // The dialogue's thread ends before the window it reports to goes away.
  session_.reset();
}

void TFormFirmwareUpgrade::ApplyLook() {
  Ui::TFormFirmwareUpgrade& u = *ui_;
  SetFixedFieldColours(*u.MemoMessage, kMemoColour, kFixedText);
  SetBase(*u.LabeledEditEFFFilename, u.LabeledEditEFFFilename->palette().color(QPalette::Button));

  QPalette gauge = u.Gauge->palette();
  gauge.setColor(QPalette::Highlight, kGaugeBarColour);
  gauge.setColor(QPalette::Base, gauge.color(QPalette::Button));
  u.Gauge->setPalette(gauge);

  u.btnOpenEffFile->setIcon(ImageList32(kOpenPicture));
  u.btnUpgrade->setIcon(ImageList32(kUpgradePicture));  // the disabled state is drawn greyed
}

void TFormFirmwareUpgrade::FormCreate() {
  std::vector<std::string> names;
  for (const auto& [name, path] : main_.Ports().ListComPorts()) names.push_back(name);
  ui_->ComboBoxCOMPort->SetPorts(names);
  // Ports plugged in later are listed when the list is opened.
  ui_->ComboBoxCOMPort->SetOpenHandler(
      [this] { main_.RunGuarded([this] { ui_->ComboBoxCOMPort->SetPorts(main_.ListPorts()); }); });
}

void TFormFirmwareUpgrade::FormActivate() { setWindowTitle(main_.ui().actFirmwareUpgrade->text()); }

void TFormFirmwareUpgrade::showEvent(QShowEvent* event) {
  // Set before the first paint, so the old title never shows.
  FormActivate();
  // The port list's fixed-pitch font is loaded when first seen rather than at the program's start.
  if (!ui_->ComboBoxCOMPort->testAttribute(Qt::WA_SetFont)) {
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(font().pixelSize() > 0 ? font().pixelSize() : fixed.pixelSize());
    ui_->ComboBoxCOMPort->setFont(fixed);
  }
  QDialog::showEvent(event);
}

void TFormFirmwareUpgrade::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TFormFirmwareUpgrade::reject() {
  if (!upgrading_) QDialog::reject();
}

void TFormFirmwareUpgrade::btnOpenEffFileClick() {
  const auto path = main_.dialogs().OpenFileName(main_.FileFilter(msg::kUpgradeFileKind, kEffPatterns), {}, kEffSuffix);
  if (!path) return;
  ui_->btnUpgrade->setEnabled(false);

  ModelNames names;
  const DeviceTypeNames listed = main_.Device().ListedTypes();
  for (size_t row = 0; row < names.size() && row < listed.size(); ++row) names[row] = listed[row];
  const std::string fullPath = QFileInfo(*path).absoluteFilePath().toStdString();
  if (LoadEffFile(fullPath, *content_, *this, main_.Messages(), names)) {
    ui_->btnUpgrade->setEnabled(true);
    ui_->Gauge->setValue(0);
  }
}

void TFormFirmwareUpgrade::btnUpgradeClick() {
  Ui::TFormFirmwareUpgrade& u = *ui_;
  u.btnOpenEffFile->setEnabled(false);
  u.btnUpgrade->setEnabled(false);
  u.btnUpgrade->setText(main_.Message(msg::kUpgrading));

  const std::string portName = u.ComboBoxCOMPort->currentText().toStdString();
  const std::string portPath = main_.Ports().Resolve(portName).value_or("");
  upgrading_ = true;
  session_->SetMessages(main_.Messages());
  session_->Upgrade(portName, portPath, *content_, *this, [this](bool) {
    upgrading_ = false;
    Ui::TFormFirmwareUpgrade& done = *ui_;
    done.btnUpgrade->setEnabled(true);
    done.btnOpenEffFile->setEnabled(true);
    done.btnUpgrade->setText(main_.Message(msg::kStartUpgrade));
  });
}

void TFormFirmwareUpgrade::SetText(const std::string& text) { ui_->MemoMessage->setPlainText(FromUtf8(text)); }

void TFormFirmwareUpgrade::AddLine(const std::string& text) {
  ui_->MemoMessage->appendPlainText(FromUtf8(text));
  // A step's line shows before the step waits (the loader wait lasts up to 8 s).
  ui_->MemoMessage->viewport()->repaint();
}

void TFormFirmwareUpgrade::EndLine(const std::string& text) {
  QPlainTextEdit& memo = *ui_->MemoMessage;
  QTextCursor end(memo.document());
  end.movePosition(QTextCursor::End);
  end.insertText(FromUtf8(text));
  memo.verticalScrollBar()->setValue(memo.verticalScrollBar()->maximum());
}

void TFormFirmwareUpgrade::SetFileName(const std::string& name) {
  ui_->LabeledEditEFFFilename->setText(FromUtf8(name));
}

void TFormFirmwareUpgrade::SetFirmwareVersion(const std::string& text) {
  ui_->lbledtEFFFirmwareVer->setText(FromUtf8(text));
}

void TFormFirmwareUpgrade::SetDescription(const std::string& text) {
  ui_->lbledtEFFDescription->setText(FromUtf8(text));
  // A name longer than the field shows its beginning, not its end.
  ui_->lbledtEFFDescription->setCursorPosition(0);
}

void TFormFirmwareUpgrade::SetProgress(int percent) { ui_->Gauge->setValue(percent); }

}  // namespace lum
