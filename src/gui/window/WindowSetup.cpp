// The parts of the main window that its form file cannot express: tool bar buttons, status
// bar panels, the grid's editor and drawing, names of menu separators, action bindings, colours
// and fonts.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <map>

#include "ActionBinding.h"
#include "FixedColours.h"
#include "FixedPitchFields.h"
#include "FormLUM.h"
#include "FormPage.h"
#include "ImageLists.h"
#include "WindowNames.h"
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
constexpr int kFontPixels = 13;
constexpr int kInfoFontPixels = 11;
constexpr int kTreeFontPixels = 16;
constexpr int kToolBarHeight = 42;
constexpr QSize kToolButtonSize(39, 38);
constexpr QSize kToolPictureSize(32, 32);
constexpr QSize kTreePictureSize(16, 16);
constexpr int kStatusBarHeight = 25;
constexpr std::array<int, names::kStatusPanels> kStatusPanelWidths = {128, 208, 50, 50};
constexpr QColor kDesktopColour(0, 64, 96);
constexpr QColor kInfoTextColour(255, 255, 0);
constexpr char kMaxLengthProperty[] = "maxLength";  // "at most n characters" of a spin box in the form

void SetPixelFont(QWidget& widget, const QFont& base, int pixels) {
  QFont font = base;
  font.setPixelSize(pixels);
  widget.setFont(font);
}

}  // namespace

QLabel& TFormLUM::StatusPanel(int index) const {
  return *ui_->StatusBar->findChild<QLabel*>(names::StatusPanelName(index));
}

QLabel* TFormLUM::EditLabel(const QLineEdit* edit) const {
  return edit != nullptr ? findChild<QLabel*>(names::EditLabelName(edit->objectName())) : nullptr;
}

void TFormLUM::BuildToolBar() {
  struct Button {
    const char* name;  // null: a separator
    QAction* action;
    int picture;
  };
  const Ui::TFormLUM& u = *ui_;
  const Button buttons[] = {
      {"tbtnOpenConfigFile", u.actOpenConfigFile, 2},
      {"tbtnSaveConfigFile", u.actSaveConfigToFile, 3},
      {"tbtnSeparator1", nullptr, 0},
      {"tbtnConnectDevice", u.actConnectDevice, 4},
      {"tbtnWriteToDevice", u.actWriteToDevice, 7},
      {"tbtnSeparator2", nullptr, 0},
      {"tbtnFirmwareUpgrade", u.actFirmwareUpgrade, 6},
      {"tbtnSeparator3", nullptr, 0},
      {"ToolButton1", u.actAutoScale, 8},
      {"tbtnSeparator4", nullptr, 0},
      {"tbtnAboutLUM", u.actAboutLUM, 1},
  };
  QToolBar& bar = *ui_->ToolBar;
  bar.setFixedHeight(kToolBarHeight);
  bar.setIconSize(kToolPictureSize);
  for (const Button& b : buttons) {
    if (b.action == nullptr) {
      bar.addSeparator()->setObjectName(QString::fromLatin1(b.name));
      continue;
    }
    auto* button = new QToolButton(&bar);
    button->setObjectName(QString::fromLatin1(b.name));
    button->setAutoRaise(true);
    // Out of the Tab round: an auto-raised button shows no focus, and the menus and
    // shortcuts reach every action.
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(kToolButtonSize);
    button->setIconSize(kToolPictureSize);
    button->setIcon(ImageList32(b.picture));
    bar.addWidget(button);
  }
  // Auto-scale has no caption to name it, so its button carries a tip of its own (in the
  // language applied later, see RefreshShownTexts).
  if (auto* scale = bar.findChild<QToolButton*>(QStringLiteral("ToolButton1")))
    scale->setToolTip(QString::fromUtf8(MessageTable::BuiltIn(msg::kScaleTip)));
}

void TFormLUM::BuildStatusBar() {
  QStatusBar& bar = *ui_->StatusBar;
  bar.setFixedHeight(kStatusBarHeight);
  for (int i = 0; i < names::kStatusPanels; ++i) {
    auto* panel = new QLabel(&bar);
    panel->setObjectName(names::StatusPanelName(i));
    panel->setTextFormat(Qt::PlainText);  // names from language files and paths, never markup
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    const bool last = i == names::kStatusPanels - 1;
    // The node and device type names may need more than the design's widths: those panels grow.
    const bool grows = last || i == names::kNodePanel || i == names::kDevicePanel;
    if (grows)
      panel->setMinimumWidth(kStatusPanelWidths[static_cast<size_t>(i)]);
    else
      panel->setFixedWidth(kStatusPanelWidths[static_cast<size_t>(i)]);
    bar.addWidget(panel, last ? 1 : 0);
  }
}

void TFormLUM::NameMenuSeparators() {
  const std::pair<QMenu*, QStringList> menus[] = {
      {ui_->MenuFile, {"N2"}}, {ui_->MenuTools, {"N4", "N3"}}, {ui_->MemuOption, {"N6"}}, {ui_->MenuHelp, {"N1"}}};
  for (const auto& [menu, separatorNames] : menus) {
    int next = 0;
    for (QAction* entry : menu->actions())
      if (entry->isSeparator() && next < separatorNames.size()) entry->setObjectName(separatorNames[next++]);
  }
}

void TFormLUM::BindActions() {
  Ui::TFormLUM& u = *ui_;
  const std::pair<QAction*, int> pictures[] = {
      {u.actOpenConfigFile, 2}, {u.actHelpOnHelp, 0},       {u.actAboutLUM, 1},
      {u.actExitLUM, 7},        {u.actFirmwareUpgrade, 8},  {u.actConnectDevice, 4},
      {u.actWriteToDevice, 6},  {u.actSaveConfigToFile, 3}, {u.actAutoScale, 8}};
  for (const auto& [action, picture] : pictures) action->setIcon(ImageList32(picture));
  std::map<QAction*, ActionBinding*> bindings;
  auto bind = [&bindings](QAction* action) {
    ActionBinding*& binding = bindings[action];
    if (binding == nullptr) binding = new ActionBinding(action);
    return binding;
  };
  const std::pair<QAction*, QAction*> entries[] = {{u.MenuOpenConfigFile, u.actOpenConfigFile},
                                                   {u.MenuSaveConfigToFile, u.actSaveConfigToFile},
                                                   {u.MenuExitLUM, u.actExitLUM},
                                                   {u.MenuConnectDevice, u.actConnectDevice},
                                                   {u.MenuWriteToDevice, u.actWriteToDevice},
                                                   {u.MenuFirmwareUpgrade, u.actFirmwareUpgrade},
                                                   {u.N5, u.actOption},
                                                   {u.MenuAboutLUM, u.actAboutLUM}};
  // Ctrl+Q besides the form's Ctrl+X: the key that ends a program on Linux desktops.
  u.actExitLUM->setShortcuts({u.actExitLUM->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q)});
  QList<QAction*> entryActions;
  for (const auto& [entry, action] : entries) {
    bind(action)->AddEntry(entry);
    entryActions << action;
  }
  // The help entry is disabled in the design and stays so.
  bind(u.actHelpOnHelp)->AddEntry(u.MenuHelpOnHelp, false);
  entryActions << u.actHelpOnHelp;

  const std::pair<QAbstractButton*, QAction*> buttons[] = {{u.btnOpenConfigFile, u.actOpenConfigFile},
                                                           {u.btnSaveConfigToFile, u.actSaveConfigToFile},
                                                           {u.btnConnectDevice, u.actConnectDevice},
                                                           {u.btnWriteToDevice, u.actWriteToDevice}};
  for (const auto& [button, action] : buttons) bind(action)->AddButton(button);

  const std::pair<const char*, QAction*> toolButtons[] = {{"tbtnOpenConfigFile", u.actOpenConfigFile},
                                                          {"tbtnSaveConfigFile", u.actSaveConfigToFile},
                                                          {"tbtnConnectDevice", u.actConnectDevice},
                                                          {"tbtnWriteToDevice", u.actWriteToDevice},
                                                          {"tbtnFirmwareUpgrade", u.actFirmwareUpgrade},
                                                          {"ToolButton1", u.actAutoScale},
                                                          {"tbtnAboutLUM", u.actAboutLUM}};
  for (const auto& [name, action] : toolButtons)
    bind(action)->AddToolButton(u.ToolBar->findChild<QToolButton*>(QString::fromLatin1(name)));
  // Each key belongs to one object: the menu entries hold the shortcuts of their actions, so
  // those actions stay out of the window; the others belong to the window.
  for (QAction* action : findChildren<QAction*>(QRegularExpression(QStringLiteral("^act"))))
    if (!entryActions.contains(action)) addAction(action);

  Bind(u.actAboutLUM, &QAction::triggered, [this] { actAboutLUMExecute(); });
  connect(u.actExitLUM, &QAction::triggered, this, [this] { actExitLUMExecute(); });
  Bind(u.actFirmwareUpgrade, &QAction::triggered, [this] { actFirmwareUpgradeExecute(); });
  connect(u.actHelpOnHelp, &QAction::triggered, this, [this] { actHelpOnHelpExecute(); });
  Bind(u.actAutoScale, &QAction::triggered, [this] { actAutoScaleExecute(); });
}

// Before the form's widgets exist, so that they are made in this font rather than told of it
// one by one, each measuring its built-in text again.
// By class, for the window and its pages, rather than set on the window: a font set on a window
// is sent again to every widget that joins it, and the form's pages join it whole.
void TFormLUM::ApplyWindowFont() {
  QFont windowFont = QApplication::font();
  windowFont.setPixelSize(kFontPixels);
  QApplication::setFont(windowFont, staticMetaObject.className());
  QApplication::setFont(windowFont, FormPage::staticMetaObject.className());
  setFont(QFont());  // the base class looked the font up for a plain window
}

// The monitor and settings pages are never shown, so they leave the tab widget (their controls
// stay): there their untranslated texts would be measured for its size, loading a CJK font in
// every language.
void TFormLUM::TakeOutNeverShownPages() {
  for (QWidget* page : std::initializer_list<QWidget*>{ui_->tsTest, ui_->tsSetting})
    ui_->PageControl->removeTab(ui_->PageControl->indexOf(page));
}

void TFormLUM::ApplyLook() {
  Ui::TFormLUM& u = *ui_;
  setMinimumSize(kStartWidth, kStartHeight);

  SetFixedFieldColours(*u.mmoInfo, kDesktopColour, kInfoTextColour);
  SetPixelFont(*u.mmoInfo, font(), kInfoFontPixels);
  SetFixedFieldColours(*u.tvDevices, kSkyBlue, kFixedText);
  SetPixelFont(*u.tvDevices, font(), kTreeFontPixels);
  u.tvDevices->setIconSize(kTreePictureSize);
  u.tvDevices->sortByColumn(0, Qt::AscendingOrder);

  fixed_pitch_fields_ = new FixedPitchFields(*u.PageControl, kFontPixels);
  for (QAbstractSpinBox* spin : findChildren<QAbstractSpinBox*>()) {
    // A typed value beyond the range becomes the nearest limit, visibly, rather than silently
    // the value shown before (5 seconds of delay gives 10, not 30).
    spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    const QVariant maxLength = spin->property(kMaxLengthProperty);
    if (auto* editor = spin->findChild<QLineEdit*>(); editor != nullptr && maxLength.isValid())
      editor->setMaxLength(maxLength.toInt());
  }
}

}  // namespace lum
