#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QActionGroup;

namespace lum {

class TFormLUM;

/// Position of the remembered file among the offered ones, -1 when it is not offered. Names
/// match without regard to letter case; an exact match wins, as the file system here tells
/// names apart by case.
int FindRememberedFile(const std::vector<std::string>& files, const std::string& remembered);

/// The language files of the working directory, offered as radio entries of the main
/// window's MenuLanguage, applied to every window and remembered in LUM.INI when chosen.
class LanguageMenu : public QObject {
 public:
  explicit LanguageMenu(TFormLUM& mainWindow);

  /// The windows the language reaches, in creation order (main window first).
  void AddWindow(QWidget* window);

  /// Offers the language files (sorted by display name; the built-in language's file always,
  /// created when missing), checks the entry of the file that
  /// LUM.INI remembers and applies it. A remembered file that is not offered leaves the
  /// built-in texts and no entry checked. Throws what ApplyLanguage throws.
  void LoadLanguageList();
  /// Applies the file at this position of LanguageFiles. Throws "Unable to write to <path>".
  void ApplyLanguage(int position);
  /// The user picked an entry: check it, apply its file, remember it in LUM.INI.
  void actSelectLanguageExecute(QAction* entry);

  const std::vector<std::string>& LanguageFiles() const { return language_files_; }
  /// The menu entries, position k belonging to LanguageFiles()[k].
  const std::vector<QAction*>& Entries() const { return entries_; }

 private:
  TFormLUM& main_;
  std::vector<QPointer<QWidget>> windows_;
  std::vector<std::string> language_files_;
  std::vector<std::string> language_names_;  // as the files name their languages, read when listed
  std::vector<QAction*> entries_;
  QActionGroup* group_;

  // The windows' texts before any language file, put back before the built-in language's
  // file is applied, so that it is completed with built-in texts, never with another language's.
  void RememberBuiltInTexts();
  void RestoreBuiltInTexts();
  struct BuiltInText {
    QPointer<QObject> component;
    QPointer<QWidget> window;
    QString caption;
    QString hint;
  };
  std::vector<BuiltInText> built_in_;
  std::vector<std::pair<QPointer<QWidget>, QString>> built_in_titles_;
};

}  // namespace lum
