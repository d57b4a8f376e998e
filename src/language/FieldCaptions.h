#pragma once

#include <span>
#include <string_view>

#include "data/ConfigFields.h"

namespace lum {

/// The main-window component whose caption names a field (its key in a language file's
/// [Strings] is the window's name and this), with its built-in caption; empty when no
/// component names the field.
struct FieldComponent {
  FieldId field;
  std::string_view component;
  std::string_view caption;
};

/// Every field that a component names, in no particular order.
std::span<const FieldComponent> FieldComponents();

/// The component that names the field, or an empty view.
std::string_view ComponentOf(FieldId field);

}  // namespace lum
