#include "LanguageTestFixture.h"

#include <QAction>
#include <QFile>
#include <QTest>
#include <QXmlStreamReader>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "WindowRecorder.h"
#include "base/TextEncoding.h"
#include "data/TypeTables.h"

namespace lum::test {

namespace fs = std::filesystem;

void LanguageFixture::TearDown() {
  DestroyWindows();
  WindowFixture::TearDown();
}

void LanguageFixture::CreateWindows(const std::function<void()>& beforeAbout) {
  TFormLUM& main = Create();
  upgrade_ = std::make_unique<TFormFirmwareUpgrade>(main);
  main.SetUpgradeDialog(upgrade_.get());
  languages_ = new LanguageMenu(main);
  languages_->AddWindow(&main);
  languages_->AddWindow(upgrade_.get());
  night_profile_ = std::make_unique<TFormNightProfile>(main);
  languages_->AddWindow(night_profile_.get());
  provisioning_ = std::make_unique<TFormProvisioning>(main);
  languages_->AddWindow(provisioning_.get());
  chart_ = std::make_unique<TFormChart>(main, *new WindowRecorder(main));
  languages_->AddWindow(chart_.get());
  fleet_ = std::make_unique<TFormFleet>(main);
  languages_->AddWindow(fleet_.get());
  options_ = std::make_unique<TFormOptions>(main);
  languages_->AddWindow(options_.get());
  if (beforeAbout) beforeAbout();
  about_ = std::make_unique<TFormAboutLUM>(main, *languages_);
  main.SetAboutDialog(about_.get());
}

void LanguageFixture::DestroyWindows() {
  about_.reset();
  options_.reset();
  provisioning_.reset();
  fleet_.reset();
  chart_.reset();
  night_profile_.reset();
  upgrade_.reset();
  languages_ = nullptr;  // the main window owns it
}

std::string LanguageFixture::FilePath(const std::string& name) const { return (fs::path(Dir()) / name).string(); }

void LanguageFixture::WriteBytes(const std::string& name, const std::string& bytes) const {
  std::ofstream(FilePath(name), std::ios::binary) << bytes;
}

std::string LanguageFixture::ReadBytes(const std::string& name) const {
  std::ifstream in(FilePath(name), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void LanguageFixture::WriteLanguageFile(const std::string& name, const std::vector<std::string>& lines) const {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  WriteBytes(name, EncodeFileText(text, TextEncoding::Utf8Bom));
}

std::vector<QWidget*> LanguageFixture::OtherWindows() const {
  return {upgrade_.get(), night_profile_.get(), provisioning_.get(), chart_.get(),
          fleet_.get(),   options_.get(),       about_.get()};
}

void EveryDeviceTypeFixture::CreateAll() {
  CreateWindows();
  for (int row = 0; row < kDeviceTypeCount; ++row)
    AddFileEntry("/cfg/row" + std::to_string(row) + ".LUM", SampleBlock(row));
  SelectNode(QStringLiteral("row1.LUM"));
  Window().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
}

QString WidgetPath(const QWidget& widget) {
  return widget.window()->objectName() + QLatin1Char('.') + widget.objectName() + QLatin1Char('(') +
         QLatin1String(widget.metaObject()->className()) + QLatin1Char(')');
}

void LanguageFixture::CopyEnglishFile() const {
  fs::copy_file(fs::path(LUM_SOURCE_DIR) / "lang" / "LUM_en.lng", FilePath("LUM_en.lng"),
                fs::copy_options::overwrite_existing);
}

QAction* LanguageFixture::Entry(const QString& displayName) {
  for (QAction* entry : languages_->Entries())
    if (entry->text() == displayName) return entry;
  return nullptr;
}

void LanguageFixture::Choose(const QString& displayName) {
  QAction* entry = Entry(displayName);
  ASSERT_NE(entry, nullptr) << displayName.toStdString();
  entry->trigger();
}

int LanguageFixture::CheckedEntry() {
  const auto& entries = languages_->Entries();
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i]->isChecked()) return static_cast<int>(i);
  return -1;
}

std::vector<std::string> SectionKeys(const ProfileFile& file, const char* section) {
  std::vector<std::string> keys;
  if (auto entries = file.SectionEntries(section))
    for (const auto& [key, value] : *entries) keys.push_back(key);
  return keys;
}

namespace {
// A page placed on a window from its own form, as the form names it ("lum::BatteryPage"): that
// form's file beside the window's, whose widgets the window holds where the page stands.
std::string PageFormOf(const std::string& uiFile, const QString& widgetClass) {
  const QString prefix = QStringLiteral("lum::");
  if (!widgetClass.startsWith(prefix) || !widgetClass.endsWith(QStringLiteral("Page"))) return {};
  const fs::path form = fs::path(uiFile).parent_path() / (widgetClass.mid(prefix.size()) + ".ui").toStdString();
  return fs::exists(form) ? form.string() : std::string();
}

// The widgets and actions of a form in file order, its pages' widgets in their place, and
// those of them whose tag is 9.
void ReadComponents(const std::string& uiFile, std::vector<std::string>& names, std::vector<std::string>& taggedNames) {
  QFile file(QString::fromStdString(uiFile));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << uiFile;
  QXmlStreamReader xml(&file);
  std::vector<std::string> open;  // the widgets and actions being read, innermost last
  bool inTag = false;
  while (!xml.atEnd()) {
    xml.readNext();
    const bool component = xml.name() == u"widget" || xml.name() == u"action";
    if (xml.isStartElement() && component) {
      open.push_back(xml.attributes().value(QStringLiteral("name")).toString().toStdString());
      names.push_back(open.back());
      const std::string page = PageFormOf(uiFile, xml.attributes().value(QStringLiteral("class")).toString());
      if (page.empty()) continue;
      std::vector<std::string> pageNames;
      ReadComponents(page, pageNames, taggedNames);
      // The page's own form names the page again: it stands here once.
      if (!pageNames.empty()) names.insert(names.end(), pageNames.begin() + 1, pageNames.end());
    } else if (xml.isStartElement() && xml.name() == u"property") {
      inTag = xml.attributes().value(QStringLiteral("name")) == u"tag";
    } else if (xml.isStartElement() && xml.name() == u"number" && inTag && xml.readElementText() == u"9") {
      taggedNames.push_back(open.back());
    } else if (xml.isEndElement() && component) {
      open.pop_back();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
}
}  // namespace

std::vector<std::string> TaggedCaptionKeys(const std::string& uiFile) {
  std::vector<std::string> names;        // widgets and actions in the order the window holds them
  std::vector<std::string> taggedNames;  // those whose tag is 9
  ReadComponents(uiFile, names, taggedNames);
  std::vector<std::string> keys;
  const std::string window = names.empty() ? std::string() : names.front();
  for (size_t i = 1; i < names.size(); ++i)
    if (std::find(taggedNames.begin(), taggedNames.end(), names[i]) != taggedNames.end())
      keys.push_back(window + "." + names[i] + ".Caption");
  return keys;
}

}  // namespace lum::test
