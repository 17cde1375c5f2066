#include "app/file_dialogs.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QSplitter>
#include <QTreeView>

namespace kelvasta {

void FitFileDialog(QFileDialog& dialog) {
  dialog.resize(900, 560);
  for (QTreeView* list : dialog.findChildren<QTreeView*>()) {
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
  }
  // The places at the left wide enough for a folder's name.
  for (QSplitter* splitter : dialog.findChildren<QSplitter*>()) splitter->setSizes({190, 710});
}

}  // namespace kelvasta
