#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>

namespace lum::test {

/// A control below `root` by its component name; the test fails when there is none, as a
/// page that lost a component's name would leave its language key and its tests without it.
template <typename Control>
Control* Find(const QWidget& root, const char* name) {
  auto* control = root.findChild<Control*>(QString::fromLatin1(name));
  if (control == nullptr) ADD_FAILURE() << "no component " << name;
  return control;
}

}  // namespace lum::test
