#pragma once

class QWidget;

namespace kelvasta {

// Scales the fonts of `root` and of every widget in it by `factor`. Every
// size is read before any is set: a child that inherits its parent's font
// would otherwise be scaled twice.
void ScaleFonts(QWidget* root, double factor);

}  // namespace kelvasta
