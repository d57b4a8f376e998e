#pragma once

#include <array>
#include <string>

namespace lum {

/// The message table: 80 text slots shared by all windows. Slots 1..63 are translatable
/// (keys "Msg_1".."Msg_63"); slots 64..67 hold fixed English texts for the information panel.
class MessageTable {
 public:
  static constexpr int kSlots = 80;
  static constexpr int kFirstKeyed = 1;
  static constexpr int kLastKeyed = 63;
  static constexpr int kScanOpenPort = 64;   // "[%s] Scan connected device:: Open port @%s."
  static constexpr int kWriteChecking = 65;  // "[%s] Write to device:: Checking product ID ..."
  static constexpr int kOk = 66;             // "Ok"
  static constexpr int kFailure = 67;        // "Failure"

  /// All slots empty; call FillBuiltIn for the built-in texts.
  MessageTable() = default;

  /// Sets every slot to its built-in text (empty where there is none) and the fixed slots.
  void FillBuiltIn();

  /// Current text of slot n; the empty text for a slot outside 0..79.
  const std::string& Text(int n) const;
  /// Sets a translatable slot (1..63); other slots are left alone.
  void SetText(int n, std::string text);

  /// "Msg_" + n for 1..63.
  static std::string Key(int n);
  /// Built-in text of slot n (empty where there is none).
  static const char* BuiltIn(int n);

 private:
  std::array<std::string, kSlots> slots_{};
};

}  // namespace lum
