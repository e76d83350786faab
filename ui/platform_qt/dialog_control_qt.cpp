#include "ui/platform_qt/dialog_control_qt.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTextEdit>

namespace ui {

namespace {
QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}
std::string FromQt(const QString& text) {
  return text.toStdString();
}
}  // namespace

std::string QtDialogControl::GetText() const {
  QWidget* widget = m_widget;
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return FromQt(edit->text());
  if (auto* label = qobject_cast<QLabel*>(widget)) return FromQt(label->text());
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return FromQt(button->text());
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return FromQt(combo->currentText());
  if (auto* text = qobject_cast<QTextEdit*>(widget)) return FromQt(text->toPlainText());
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return FromQt(plain->toPlainText());
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return FromQt(group->title());
  return {};
}

void QtDialogControl::SetText(const std::string& value) {
  Changing changing(m_changing);
  QWidget* widget = m_widget;
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(ToQt(value));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(ToQt(value));
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(ToQt(value));
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    if (combo->isEditable()) {
      combo->setEditText(ToQt(value));
    } else {
      // A drop-down list shows only its items: select the one with this text.
      combo->setCurrentIndex(combo->findText(ToQt(value), Qt::MatchExactly));
    }
  } else if (auto* text = qobject_cast<QTextEdit*>(widget)) {
    text->setPlainText(ToQt(value));
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
    plain->setPlainText(ToQt(value));
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(ToQt(value));
  }
}

bool QtDialogControl::IsChecked() const {
  if (auto* button = qobject_cast<QAbstractButton*>(m_widget)) return button->isChecked();
  if (auto* group = qobject_cast<QGroupBox*>(m_widget)) return group->isCheckable() && group->isChecked();
  return false;
}

void QtDialogControl::SetChecked(bool checked) {
  Changing changing(m_changing);
  if (auto* button = qobject_cast<QAbstractButton*>(m_widget)) {
    if (!button->isCheckable()) return;
    // An exclusive radio button refuses to be unchecked; the program may still
    // clear it, leaving its group without a checked button.
    bool exclusive = button->autoExclusive();
    if (!checked && exclusive) button->setAutoExclusive(false);
    button->setChecked(checked);
    if (!checked && exclusive) button->setAutoExclusive(true);
  } else if (auto* group = qobject_cast<QGroupBox*>(m_widget)) {
    if (group->isCheckable()) group->setChecked(checked);
  }
}

bool QtDialogControl::IsEnabled() const {
  return m_widget && m_widget->isEnabled();
}

void QtDialogControl::SetEnabled(bool enabled) {
  if (m_widget) m_widget->setEnabled(enabled);
}

void QtDialogControl::SetVisible(bool visible) {
  if (m_widget) m_widget->setVisible(visible);
}

void QtDialogControl::SetRange(int minimum, int maximum) {
  Changing changing(m_changing);
  if (auto* slider = qobject_cast<QAbstractSlider*>(m_widget)) {
    slider->setRange(minimum, maximum);
  } else if (auto* bar = qobject_cast<QProgressBar*>(m_widget)) {
    bar->setRange(minimum, maximum);
  }
}

void QtDialogControl::SetPos(int position) {
  Changing changing(m_changing);
  if (auto* slider = qobject_cast<QAbstractSlider*>(m_widget)) {
    slider->setValue(position);
  } else if (auto* bar = qobject_cast<QProgressBar*>(m_widget)) {
    bar->setValue(position);
  }
}

int QtDialogControl::GetPos() const {
  if (auto* slider = qobject_cast<QAbstractSlider*>(m_widget)) return slider->value();
  if (auto* bar = qobject_cast<QProgressBar*>(m_widget)) return bar->value();
  return 0;
}

void QtDialogControl::SetPageSize(int page) {
  if (auto* slider = qobject_cast<QAbstractSlider*>(m_widget)) slider->setPageStep(page);
}

void QtDialogControl::ResetContent() {
  Changing changing(m_changing);
  if (auto* combo = qobject_cast<QComboBox*>(m_widget)) {
    combo->clear();
  } else if (auto* list = qobject_cast<QListWidget*>(m_widget)) {
    list->clear();
  }
}

int QtDialogControl::AddString(const std::string& item) {
  Changing changing(m_changing);
  if (auto* combo = qobject_cast<QComboBox*>(m_widget)) {
    bool hadSelection = combo->currentIndex() >= 0;
    combo->addItem(ToQt(item));
    // A combo box selects its first item by itself; nothing is selected until the
    // program selects it.
    if (!hadSelection) combo->setCurrentIndex(-1);
    return combo->count() - 1;
  }
  if (auto* list = qobject_cast<QListWidget*>(m_widget)) {
    list->addItem(ToQt(item));
    return list->count() - 1;
  }
  return -1;
}

int QtDialogControl::GetCount() const {
  if (auto* combo = qobject_cast<QComboBox*>(m_widget)) return combo->count();
  if (auto* list = qobject_cast<QListWidget*>(m_widget)) return list->count();
  if (auto* tabs = qobject_cast<QTabWidget*>(m_widget)) return tabs->count();
  return 0;
}

int QtDialogControl::GetCurSel() const {
  if (auto* combo = qobject_cast<QComboBox*>(m_widget)) return combo->currentIndex();
  if (auto* list = qobject_cast<QListWidget*>(m_widget)) {
    QListWidgetItem* current = list->currentItem();
    return (current && current->isSelected()) ? list->row(current) : -1;
  }
  if (auto* tabs = qobject_cast<QTabWidget*>(m_widget)) return tabs->currentIndex();
  return -1;
}

void QtDialogControl::SetCurSel(int index) {
  Changing changing(m_changing);
  int count = GetCount();
  if (index < 0 || index >= count) index = -1;
  if (auto* combo = qobject_cast<QComboBox*>(m_widget)) {
    combo->setCurrentIndex(index);
  } else if (auto* list = qobject_cast<QListWidget*>(m_widget)) {
    if (index < 0) {
      list->clearSelection();
      list->setCurrentItem(nullptr);
    } else {
      list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    }
  } else if (auto* tabs = qobject_cast<QTabWidget*>(m_widget)) {
    if (index >= 0) tabs->setCurrentIndex(index);
  }
}

std::string QtDialogControl::GetItemText(int index) const {
  if (auto* combo = qobject_cast<QComboBox*>(m_widget)) {
    return (index >= 0 && index < combo->count()) ? FromQt(combo->itemText(index)) : std::string();
  }
  if (auto* list = qobject_cast<QListWidget*>(m_widget)) {
    QListWidgetItem* item = (index >= 0 && index < list->count()) ? list->item(index) : nullptr;
    return item ? FromQt(item->text()) : std::string();
  }
  if (auto* tabs = qobject_cast<QTabWidget*>(m_widget)) return FromQt(tabs->tabText(index));
  return {};
}

}  // namespace ui
