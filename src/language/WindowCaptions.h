#pragma once

#include <span>
#include <string>
#include <string_view>

#include "language/ProfileFile.h"

namespace lum {

/// The main window's name, the first part of its components' keys in a language file.
inline constexpr char kMainWindowName[] = "FormLUM";

/// The built-in (Chinese) caption of a main-window component that names a flag of a
/// configuration field, as the window shows it before a language file replaces it (those
/// that name a field are its FieldComponents).
struct BuiltInCaption {
  std::string_view component;
  std::string_view caption;
};
std::span<const BuiltInCaption> FieldCaptions();

/// The caption of a component that names a field or a flag in a language file's [Strings],
/// else the built-in one (empty for other components).
std::string WindowCaption(const ProfileFile& language, std::string_view component);

/// A label's caption without the colon that ends it on a page ("Charge cut-off:", "过充保护电压：").
std::string WithoutColon(std::string caption);

}  // namespace lum
