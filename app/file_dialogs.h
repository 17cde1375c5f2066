#pragma once

class QFileDialog;

namespace kelvasta {

// Sizes Qt's own file dialog so that its file list shows every column whole
// (name, size, type, date) instead of eliding the date, and its places
// a folder's name.
void FitFileDialog(QFileDialog& dialog);

}  // namespace kelvasta
