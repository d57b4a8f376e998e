#pragma once

#include <array>
#include <string>

namespace lum {

/// The message table: text slots shared by all windows. Slots 1..63 and 100..399 are
/// translatable (keys "Msg_1".."Msg_63", "Msg_100".."Msg_399"); slots 64..67 hold fixed English
/// texts for the information panel; 68..99 stay free, as in files made by earlier versions.
class MessageTable {
 public:
  static constexpr int kSlots = 400;
  static constexpr int kFirstKeyed = 1;
  static constexpr int kLastFirstRange = 63;
  static constexpr int kFirstSecondRange = 100;
  static constexpr int kLastKeyed = kSlots - 1;
  static constexpr int kScanOpenPort = 64;   // "[%s] Scan connected device:: Open port @%s."
  static constexpr int kWriteChecking = 65;  // "[%s] Write to device:: Checking product ID ..."
  static constexpr int kOk = 66;             // "Ok"
  static constexpr int kFailure = 67;        // "Failure"

  /// All slots empty; call FillBuiltIn for the built-in texts.
  MessageTable() = default;

  /// Sets every slot to its built-in text (empty where there is none) and the fixed slots.
  void FillBuiltIn();

  /// True for the translatable slots (1..63, 100..399).
  static constexpr bool IsKeyed(int n) {
    return (n >= kFirstKeyed && n <= kLastFirstRange) || (n >= kFirstSecondRange && n <= kLastKeyed);
  }

  /// Current text of slot n; the empty text for a slot outside the table.
  const std::string& Text(int n) const;
  /// Sets a translatable slot; other slots are left alone.
  void SetText(int n, std::string text);

  /// "Msg_" + n for the translatable slots.
  static std::string Key(int n);
  /// Built-in text of slot n (empty where there is none).
  static const char* BuiltIn(int n);

 private:
  std::array<std::string, kSlots> slots_{};
};

}  // namespace lum
