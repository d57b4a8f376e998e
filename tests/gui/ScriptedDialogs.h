#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <utility>
#include <vector>

#include "Dialogs.h"

namespace lum::test {

/// Answers the window's dialogs from a script and records what was asked and shown.
class ScriptedDialogs : public Dialogs {
 public:
  void AnswerYesNo(bool yes) { answers_.push_back(yes ? Answer::Yes : Answer::No); }
  void AnswerCancel() { answers_.push_back(Answer::Cancel); }
  /// The next file dialog returns this name; an empty name cancels it.
  void AnswerFileName(const QString& name) { file_names_.push_back(name); }
  /// The next change view is confirmed or cancelled; unscripted ones are confirmed.
  void AnswerChanges(bool confirm) { change_answers_.push_back(confirm); }
  /// The next restore list chooses this backup; nullopt cancels it.
  void AnswerBackup(std::optional<size_t> index) { backup_answers_.push_back(index); }
  /// The next bus dialog gives this answer; nullopt cancels it.
  void AnswerBus(std::optional<BusAnswer> answer) { bus_answers_.push_back(std::move(answer)); }
  /// The next assign-address dialog gives this answer; nullopt cancels it.
  void AnswerNewAddress(std::optional<AddressAnswer> answer) { address_answers_.push_back(std::move(answer)); }

  bool AskYesNo(const QString& title, const QString& text) override {
    return AskYesNoCancel(title, text) == Answer::Yes;
  }
  Answer AskYesNoCancel(const QString& title, const QString& text) override {
    questions_.emplace_back(title, text);
    if (answers_.empty()) {
      ADD_FAILURE() << "unexpected question: " << text.toStdString();
      return Answer::No;
    }
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void ShowError(const QString& text) override { errors_.push_back(text); }
  void ShowWarning(const QString& text) override { warnings_.push_back(text); }
  void ShowInformation(const QString& text) override { informations_.push_back(text); }
  std::optional<BusAnswer> AskBus(const BusQuestion& question) override {
    bus_questions_.push_back(question);
    return Next(bus_answers_, "bus dialog");
  }
  std::optional<AddressAnswer> AskNewAddress(const AddressQuestion& question) override {
    address_questions_.push_back(question);
    return Next(address_answers_, "assign-address dialog");
  }
  std::optional<QString> OpenFileName(const QString& filter, const QString&, const QString&) override {
    return NextName(filter);
  }
  std::optional<QString> SaveFileName(const QString& filter, const QString& defaultSuffix,
                                      const QString& directory) override {
    suffixes_.push_back(defaultSuffix);
    save_offers_.push_back(directory);
    return NextName(filter);
  }

  bool ConfirmChanges(const ChangeList& changes) override {
    change_views_.push_back(changes);
    if (change_answers_.empty()) return true;
    const bool confirm = change_answers_.front();
    change_answers_.pop_front();
    return confirm;
  }

  const std::vector<std::pair<QString, QString>>& Questions() const { return questions_; }
  const std::vector<ChangeList>& ChangeViews() const { return change_views_; }
  std::optional<size_t> ChooseBackup(const BackupChoices& choices) override {
    backup_lists_.push_back(choices);
    if (backup_answers_.empty()) {
      ADD_FAILURE() << "unexpected restore list";
      return std::nullopt;
    }
    const std::optional<size_t> index = backup_answers_.front();
    backup_answers_.pop_front();
    return index;
  }
  const std::vector<BackupChoices>& BackupLists() const { return backup_lists_; }
  const std::vector<QString>& Errors() const { return errors_; }
  const std::vector<QString>& Warnings() const { return warnings_; }
  const std::vector<QString>& Informations() const { return informations_; }
  const std::vector<BusQuestion>& BusQuestions() const { return bus_questions_; }
  const std::vector<AddressQuestion>& AddressQuestions() const { return address_questions_; }
  /// The filter of every file dialog shown, and the default suffix of every save dialog.
  const std::vector<QString>& Filters() const { return filters_; }
  const std::vector<QString>& Suffixes() const { return suffixes_; }
  /// Where each save dialog opened, with the file name it offered.
  const std::vector<QString>& SaveOffers() const { return save_offers_; }

 private:
  template <typename T>
  static std::optional<T> Next(std::deque<std::optional<T>>& answers, const char* what) {
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected " << what;
      return std::nullopt;
    }
    std::optional<T> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::optional<QString> NextName(const QString& filter) {
    filters_.push_back(filter);
    if (file_names_.empty()) {
      ADD_FAILURE() << "unexpected file dialog: " << filter.toStdString();
      return std::nullopt;
    }
    const QString name = file_names_.front();
    file_names_.pop_front();
    if (name.isEmpty()) return std::nullopt;
    return name;
  }

  std::deque<Answer> answers_;
  std::deque<QString> file_names_;
  std::deque<bool> change_answers_;
  std::vector<ChangeList> change_views_;
  std::deque<std::optional<size_t>> backup_answers_;
  std::vector<BackupChoices> backup_lists_;
  std::vector<std::pair<QString, QString>> questions_;
  std::vector<QString> errors_;
  std::vector<QString> warnings_;
  std::vector<QString> informations_;
  std::deque<std::optional<BusAnswer>> bus_answers_;
  std::deque<std::optional<AddressAnswer>> address_answers_;
  std::vector<BusQuestion> bus_questions_;
  std::vector<AddressQuestion> address_questions_;
  std::vector<QString> filters_;
  std::vector<QString> save_offers_;
  std::vector<QString> suffixes_;
};

}  // namespace lum::test
