#pragma once

namespace ui {

// Whether the command with this id can run now. The single place that decides the
// enabled state of every menu item, toolbar button and keyboard command of the main
// window; MainWindow::UpdateCommandStates applies it to them all.
bool IsCommandEnabled(int id);

}  // namespace ui
