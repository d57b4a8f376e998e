#pragma once

#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"

class QLabel;
class QLineEdit;
class QWidget;

namespace lum {

class LinkObserver;
class MessageTable;

/// The label that names the field on the window's pages, or null.
const QLabel* LabelOf(const QWidget& window, FieldId id);

/// A control's own enabled flag, whatever its parents' state (a page or a group may disable
/// its fields); it decides whether the control's value is stored.
bool OwnEnabled(const QWidget* widget);

/// A number typed from its decimal point gets its leading zero (".5" shows "0.5").
void CompleteLeadingPoint(QLineEdit& edit);

/// Shows the field of the block in a text field, in the field's scale.
void ShowFieldText(QLineEdit& edit, FieldId id, const TCONFIG_BLOCK& block, const FieldPlace& place = {});

/// Stores the text of a field into the block; a value at or below the field's threshold is not
/// stored, and the user learns which and why from a line told to `observer`. A text that is
/// not a number (the decimal separator of `messages`' language and "." are taken) throws
/// ConversionError with a text in that language naming the field.
void StoreFieldText(const QLineEdit& edit, FieldId id, TCONFIG_BLOCK& block, const FieldPlace& place,
                    const MessageTable& messages, LinkObserver& observer);

}  // namespace lum
